#include "app/dialogs/set_pnl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include <iterator>

#include "app/dialogs/dialog_controls.h"
#include "app/dialogs/set_pnl_fields.h"
#include "platform/frame_settings.h"
#include "platform/playback_settings.h"

namespace plexo {

namespace {

QLineEdit* MakeSliderEdit(QWidget* parent)
{
    QLineEdit* edit = MakeNumberEdit(parent, QStringLiteral("-00000"));
    edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return edit;
}

QSlider* MakeSlider(QWidget* parent)
{
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setTickPosition(QSlider::NoTicks);
    slider->setMinimumWidth(QFontMetrics(slider->font()).horizontalAdvance(QLatin1Char('0')) * 30);
    return slider;
}

QLabel* MakeSliderLabel(QWidget* parent, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

// What each control does, for a user who meets the dialog for the first time.
const char* const kATip =
    "A: the partner picture is taken A frames away from the current one. "
    "When the depth looks reversed, change the sign: it follows the camera's direction.";
const char* const kDTip =
    "D: moves the two pictures apart by D pixels, setting how far in front of or behind the screen the scene lies. "
    "It is the D of every film whose D the ] and [ keys have not set.";
const char* const kStepTip = "How many frames each tick of playback moves on: 1 step shows every frame, "
                             "4 steps every fourth.";
const char* const kSideTip = "Where Add puts the second film's picture beside the first film's.";
const char* const kSideItemTips[] = {"The second film's picture goes right of the first's.",
                                     "The second film's picture goes below the first's.",
                                     "The second film's picture goes left of the first's.",
                                     "The second film's picture goes above the first's."};
const char* const kStereoLockText = "Red-Blue and Interlaced cannot change while stereo is on: switch stereo off first.";

Qt::CheckState CheckOf(int32_t state)
{
    return state ? Qt::Checked : Qt::Unchecked;
}

}  // namespace

SetPnl::SetPnl(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Settings"));

    redBlueBox_ = new QCheckBox(QStringLiteral("Red-Blue"), this);
    interlacedBox_ = new QCheckBox(QStringLiteral("Interlaced"), this);
    // Without XWayland the window never learns its screen row.
    if (QGuiApplication::platformName() == QLatin1String("wayland"))
        interlacedBox_->setToolTip(QStringLiteral("On Wayland the row parity is fixed: the window cannot know its screen row."));
    dSlider_ = MakeSlider(this);
    aSlider_ = MakeSlider(this);
    aEdit_ = MakeSliderEdit(this);
    roundBox_ = new QCheckBox(QStringLiteral("Round"), this);
    dEdit_ = MakeSliderEdit(this);
    alterList_ = MakeList(this, {QStringLiteral("Memory"), QStringLiteral("File")});
    fpsEdit_ = MakeNumberEdit(this, QStringLiteral("000.000"));
    invertBox_ = new QCheckBox(QStringLiteral("Invert"), this);
    stepList_ = MakeList(this, {QStringLiteral("1 step"), QStringLiteral("2 steps"), QStringLiteral("3 steps"),
                                QStringLiteral("4 steps")});
    sideList_ = MakeList(this, {QStringLiteral("add right"), QStringLiteral("add bottom"), QStringLiteral("add left"),
                                QStringLiteral("add top")});
    resumeBox_ = new QCheckBox(QStringLiteral("Resume films"), this);
    resumeBox_->setToolTip(QStringLiteral("A video longer than two minutes reopens where it was left."));
    slideSecondsBox_ = new QSpinBox(this);
    slideSecondsBox_->setRange(1, platform::kMaxSlideSeconds);
    slideSecondsBox_->setSuffix(QStringLiteral(" s"));
    slideSecondsBox_->setToolTip(QStringLiteral("How long each picture of a slideshow (F5) stays."));
    stereoLock_ = new QLabel(QString::fromUtf8(kStereoLockText), this);
    stereoLock_->setWordWrap(true);
    stereoLock_->hide();

    auto* aLabel = MakeSliderLabel(this, QStringLiteral("A"));
    auto* dLabel = MakeSliderLabel(this, QStringLiteral("D"));
    for (QWidget* a : std::initializer_list<QWidget*>{aLabel, aSlider_, aEdit_})
        a->setToolTip(QString::fromUtf8(kATip));
    for (QWidget* d : std::initializer_list<QWidget*>{dLabel, dSlider_, dEdit_})
        d->setToolTip(QString::fromUtf8(kDTip));
    stepList_->setToolTip(QString::fromUtf8(kStepTip));
    sideList_->setToolTip(QString::fromUtf8(kSideTip));
    for (int i = 0; i < int(std::size(kSideItemTips)); ++i)
        sideList_->setItemData(i, QString::fromUtf8(kSideItemTips[i]), Qt::ToolTipRole);

    // Three rows of three columns, as the controls are grouped: the boxes on
    // the left, then the frames per second, the presentation and the lists.
    auto* options = new QGridLayout;
    options->addWidget(roundBox_, 0, 0);
    auto* fpsRow = new QHBoxLayout;
    fpsRow->addWidget(fpsEdit_);
    fpsRow->addWidget(new QLabel(QStringLiteral("Frames/sec"), this));
    fpsRow->addStretch();
    options->addLayout(fpsRow, 0, 1, 1, 2);
    options->addWidget(redBlueBox_, 1, 0);
    options->addWidget(interlacedBox_, 1, 1);
    options->addWidget(alterList_, 1, 2);
    options->addWidget(invertBox_, 2, 0);
    options->addWidget(stepList_, 2, 1);
    options->addWidget(sideList_, 2, 2);
    options->addWidget(resumeBox_, 3, 0);
    auto* slideRow = new QHBoxLayout;
    slideRow->addWidget(slideSecondsBox_);
    slideRow->addWidget(new QLabel(QStringLiteral("Slideshow"), this));
    slideRow->addStretch();
    options->addLayout(slideRow, 3, 1, 1, 2);

    auto* sliders = new QGridLayout;
    sliders->addWidget(aLabel, 0, 0);
    sliders->addWidget(aSlider_, 0, 1);
    sliders->addWidget(aEdit_, 0, 2);
    sliders->addWidget(dLabel, 1, 0);
    sliders->addWidget(dSlider_, 1, 1);
    sliders->addWidget(dEdit_, 1, 2);
    sliders->setColumnStretch(1, 1);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(options);
    layout->addWidget(stereoLock_);
    layout->addSpacing(6);
    layout->addLayout(sliders);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Each edit right after its slider in the Tab chain.
    setTabOrder(dSlider_, dEdit_);
    setTabOrder(aSlider_, aEdit_);

    connect(ok, &QPushButton::clicked, this, &SetPnl::accept);
    connect(cancel, &QPushButton::clicked, this, &SetPnl::reject);
    connect(aSlider_, &QSlider::valueChanged, this, [this] { OnSliderMoved(aSlider_); });
    connect(dSlider_, &QSlider::valueChanged, this, [this] { OnSliderMoved(dSlider_); });
    connect(aEdit_, &QLineEdit::editingFinished, this, [this] { OnNumberTyped(aEdit_, aSlider_, values.a, 0); });
    connect(dEdit_, &QLineEdit::editingFinished, this,
            [this] { OnNumberTyped(dEdit_, dSlider_, values.d, kDistSliderCentre); });
    connect(redBlueBox_, &QCheckBox::clicked, this, &SetPnl::OnRedBlueClicked);
    connect(interlacedBox_, &QCheckBox::clicked, this, &SetPnl::OnInterlacedClicked);
}

bool SetPnl::UpdateData(bool saveAndValidate)
{
    SettingsValues& v = values;
    if (!saveAndValidate) {
        aEdit_->setText(QString::number(v.a));
        roundBox_->setCheckState(CheckOf(v.round));
        dEdit_->setText(QString::number(v.d));
        SelectIndex(alterList_, v.alter);
        fpsEdit_->setText(QString::fromStdString(ShowNumber(v.framesPerSecond)));
        redBlueBox_->setCheckState(CheckOf(v.redBlue));
        interlacedBox_->setCheckState(CheckOf(v.interlaced));
        invertBox_->setCheckState(CheckOf(v.invert));
        SelectIndex(stepList_, v.step);
        SelectIndex(sideList_, v.side);
        resumeBox_->setCheckState(CheckOf(v.resume));
        slideSecondsBox_->setValue(v.slideSeconds);
        return true;
    }

    const std::optional<int32_t> a = ReadWholeInteger(aEdit_->text().toStdString());
    if (!a)
        return RefuseField(aEdit_, kEnterInteger);
    v.a = *a;
    v.round = roundBox_->isChecked();
    const std::optional<int32_t> d = ReadWholeInteger(dEdit_->text().toStdString());
    if (!d)
        return RefuseField(dEdit_, kEnterInteger);
    v.d = *d;
    v.alter = alterList_->currentIndex();
    const std::optional<double> fps = ReadWholeNumber(fpsEdit_->text().toStdString());
    if (!fps)
        return RefuseField(fpsEdit_, kEnterNumber);
    if (const std::optional<std::string> refusal = platform::FrameRateRefusal(*fps))
        return RefuseField(fpsEdit_, refusal->c_str());
    v.framesPerSecond = *fps;
    v.redBlue = redBlueBox_->isChecked();
    v.interlaced = interlacedBox_->isChecked();
    v.invert = invertBox_->isChecked();
    v.step = stepList_->currentIndex();
    v.side = sideList_->currentIndex();
    v.resume = resumeBox_->isChecked();
    v.slideSeconds = slideSecondsBox_->value();
    return true;
}

void SetPnl::OnInitDialog()
{
    initialised_ = false;
    UpdateData(false);

    const int32_t limit = ASliderLimit(values.highestFrame);
    aSlider_->setPageStep(1);
    aSlider_->setRange(-limit, limit);
    aSlider_->setValue(1);
    // The slider clamps an A beyond its range; the edit keeps showing A.
    aSlider_->setValue(values.a);

    dSlider_->setRange(0, 100);
    dSlider_->setValue(values.d + kDistSliderCentre);

    redBlueBox_->setEnabled(!values.stereoOn);
    interlacedBox_->setEnabled(!values.stereoOn);
    stereoLock_->setVisible(values.stereoOn);
    initialised_ = true;
}

void SetPnl::showEvent(QShowEvent* event)
{
    if (!initialised_)
        OnInitDialog();
    QDialog::showEvent(event);
}

void SetPnl::accept()
{
    if (UpdateData(true))
        QDialog::accept();
}

void SetPnl::OnSliderMoved(QSlider* slider)
{
    if (!initialised_)
        return;
    UpdateData(true);
    if (slider == dSlider_)
        values.d = slider->value() - kDistSliderCentre;
    else
        values.a = slider->value();
    UpdateData(false);
}

void SetPnl::OnNumberTyped(QLineEdit* edit, QSlider* slider, int32_t& value, int32_t centre)
{
    if (!initialised_)
        return;
    // What the slider could be moved to is taken, and the slider goes there;
    // anything else gives the value back, as a slider cannot go beyond its
    // ends.
    const std::optional<int32_t> typed = ReadWholeInteger(edit->text().toStdString());
    if (typed && *typed >= slider->minimum() - centre && *typed <= slider->maximum() - centre) {
        value = *typed;
        const QSignalBlocker quiet(slider);
        slider->setValue(value + centre);
    }
    edit->setText(QString::number(value));
}

void SetPnl::OnRedBlueClicked()
{
    if (interlacedBox_->isChecked() && redBlueBox_->isChecked())
        interlacedBox_->setChecked(false);
}

void SetPnl::OnInterlacedClicked()
{
    if (interlacedBox_->isChecked() && redBlueBox_->isChecked())
        redBlueBox_->setChecked(false);
}

}  // namespace plexo
