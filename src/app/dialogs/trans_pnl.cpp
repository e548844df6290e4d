#include "app/dialogs/trans_pnl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QRegularExpressionValidator>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "app/dialogs/dialog_controls.h"
#include "app/dialogs/set_pnl_fields.h"
#include "app/dialogs/trans_pnl_run.h"
#include "app/dialogs/trans_pnl_spin.h"
#include "convert/existing_outputs.h"
#include "doc/open_dialog_filter.h"
#include "platform/message_sink.h"
#include "platform/translate_settings.h"

namespace plexo {

namespace {

QString TimeLeft(qint64 elapsedMs, int done, int total)
{
    if (done <= 0 || total <= done)
        return {};
    const double seconds = double(elapsedMs) / 1000.0 * double(total - done) / double(done);
    const long long whole = std::llround(seconds);
    if (whole < 60)
        return QStringLiteral("about %1 s left").arg(whole);
    return QStringLiteral("about %1 min %2 s left").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

TransPnl::TransPnl(QWidget* parent, FileChooser chooser)
    : QDialog(parent),
      chooser_(std::move(chooser))
{
    const platform::TranslateSettings stored = platform::TranslateSettings::Read();
    values.direction = stored.way;
    values.scale = stored.scale;
    values.colour = stored.color;
    values.quality = stored.quality;

    setWindowTitle(QStringLiteral("Translate"));

    compressList_ = MakeList(this, {QStringLiteral("none"), QStringLiteral("jpeg")});
    widthEdit_ = MakeNumberEdit(this, QStringLiteral("000000"));
    heightEdit_ = MakeNumberEdit(this, QStringLiteral("000000"));
    directionList_ = MakeList(this, {QStringLiteral("bmp -> flm"), QStringLiteral("bmp -> jpg"),
                                     QStringLiteral("flm -> bmp"), QStringLiteral("flm -> jpg"),
                                     QStringLiteral("jpg -> bmp"), QStringLiteral("ipg -> flm")});
    // The ways after the first six, named from the table of file formats.
    for (size_t i = size_t(directionList_->count()); i < std::size(kConversionWays); ++i) {
        const ConversionWay way = kConversionWays[i];
        if (WayAvailable(way))
            directionList_->addItem(QStringLiteral("%1 -> %2").arg(QString::fromUtf8(SourceFormat(way).name),
                                                                   QString::fromUtf8(TargetFormat(way).name)));
    }
    colourBox_ = new QCheckBox(QStringLiteral("Color"), this);
    scaleList_ = MakeList(this, {QStringLiteral("1 -> 1"), QStringLiteral("2 -> 1"), QStringLiteral("3 -> 1"),
                                 QStringLiteral("4 -> 1")});
    qualitySpin_ = new UpDownControl(this);
    qualityEdit_ = MakeNumberEdit(this, QStringLiteral("0000"));
    // Typed digits, or the spin's steps.
    qualityEdit_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")),
                                                               qualityEdit_));
    fixSizeBox_ = new QCheckBox(QStringLiteral("Fix size"), this);
    startButton_ = new QPushButton(QStringLiteral("Start"), this);
    startButton_->setDefault(true);
    stopButton_ = new QPushButton(QStringLiteral("Stop"), this);
    stopButton_->setEnabled(false);
    cancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 1);
    progress_->setValue(0);
    progress_->setFormat(QStringLiteral("%v of %m frames"));
    progress_->setTextVisible(false);
    progressLabel_ = new QLabel(this);
    progressLabel_->setMinimumHeight(QFontMetrics(progressLabel_->font()).height());

    // Labels in the first column, the controls they name in the second.
    auto* form = new QGridLayout;
    form->addWidget(directionList_, 0, 0, 1, 2);
    form->addWidget(colourBox_, 0, 2, 1, 2);
    form->addWidget(scaleList_, 1, 0, 1, 2);
    form->addWidget(new QLabel(QStringLiteral("JPEG quality"), this), 2, 0);
    auto* quality = new QHBoxLayout;
    quality->setSpacing(2);
    quality->addWidget(qualityEdit_);
    quality->addWidget(qualitySpin_);
    quality->addWidget(new QLabel(QStringLiteral("%"), this));
    quality->addStretch();
    form->addLayout(quality, 2, 1, 1, 3);
    form->addWidget(fixSizeBox_, 3, 0);
    form->addWidget(new QLabel(QStringLiteral("Width"), this), 4, 0);
    form->addWidget(widthEdit_, 4, 1);
    form->addWidget(new QLabel(QStringLiteral("Height"), this), 4, 2);
    form->addWidget(heightEdit_, 4, 3);
    form->addWidget(new QLabel(QStringLiteral("Compress"), this), 5, 0);
    form->addWidget(compressList_, 5, 1, 1, 2);
    form->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(startButton_);
    buttons->addWidget(stopButton_);
    buttons->addStretch();
    buttons->addWidget(cancelButton_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addSpacing(6);
    layout->addWidget(progress_);
    layout->addWidget(progressLabel_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(startButton_, &QPushButton::clicked, this, &TransPnl::OnStart);
    connect(stopButton_, &QPushButton::clicked, this, &TransPnl::OnStop);
    connect(cancelButton_, &QPushButton::clicked, this, &TransPnl::reject);
    connect(fixSizeBox_, &QCheckBox::clicked, this, &TransPnl::OnFixSizeClicked);
    connect(directionList_, &QComboBox::activated, this, &TransPnl::OnDirectionChosen);
    connect(qualitySpin_, &UpDownControl::stepped, this, &TransPnl::OnQualitySpin);

    UpdateData(false);
    widthEdit_->setEnabled(false);
    heightEdit_->setEnabled(false);
    compressList_->setEnabled(true);
}

TransPnl::~TransPnl()
{
    run_.reset();
    platform::TranslateSettings stored;
    stored.way = values.direction;
    stored.scale = values.scale;
    stored.color = values.colour;
    stored.quality = values.quality;
    stored.Write();
}

bool TransPnl::UpdateData(bool saveAndValidate)
{
    TranslateValues& v = values;
    if (!saveAndValidate) {
        SelectIndex(directionList_, v.direction);
        colourBox_->setChecked(v.colour != 0);
        SelectIndex(scaleList_, v.scale);
        qualityEdit_->setText(QString::number(v.quality));
        fixSizeBox_->setChecked(v.fixSize != 0);
        heightEdit_->setText(QString::number(v.height));
        widthEdit_->setText(QString::number(v.width));
        SelectIndex(compressList_, v.compress);
        return true;
    }

    const auto read = [](QLineEdit* edit, int32_t& member) {
        const std::optional<int32_t> number = ReadLeadingInteger(edit->text().toStdString());
        if (!number)
            return RefuseField(edit, kEnterInteger);
        member = *number;
        return true;
    };
    v.direction = directionList_->currentIndex();
    v.colour = colourBox_->isChecked() ? 1 : 0;
    v.scale = scaleList_->currentIndex();
    if (!read(qualityEdit_, v.quality))
        return false;
    v.quality = std::clamp(v.quality, platform::TranslateSettings::kMinQuality, platform::TranslateSettings::kMaxQuality);
    qualityEdit_->setText(QString::number(v.quality));
    v.fixSize = fixSizeBox_->isChecked() ? 1 : 0;
    if (!read(heightEdit_, v.height) || !read(widthEdit_, v.width))
        return false;
    v.compress = compressList_->currentIndex();
    return true;
}

void TransPnl::OnStart()
{
    if (Running() || !UpdateData(true))
        return;
    if (const char* refusal = StartRefusal(values)) {
        platform::ShowMessage(refusal);
        return;
    }
    const std::optional<ConversionWay> way = WayOf(values.direction);
    if (!way)
        return;
    const ConversionOptions options = OptionsOf(values);
    const std::string path = ChooseSource(*way);
    if (path.empty() || !MayWrite(*way, path))
        return;

    progress_->setRange(0, 1);
    progress_->setValue(0);
    progress_->setTextVisible(true);
    progressLabel_->clear();
    framesWritten_ = 0;
    startButton_->setEnabled(false);
    stopButton_->setEnabled(true);
    runClock_.start();
    run_ = std::make_unique<ConversionRun>(*way, path, options, holdAfterFrame_);
    // Signals queued by a run that has since been ended must not touch the
    // next one.
    ConversionRun* run = run_.get();
    connect(run, &ConversionRun::progress, this, [this, run](int done, int total) {
        if (run_.get() == run)
            OnProgress(done, total);
    });
    connect(run, &ConversionRun::ended, this, [this, run] {
        if (run_.get() == run)
            OnRunEnded();
    });
    run->Start();
}

void TransPnl::OnStop()
{
    if (run_)
        run_->Stop();
}

bool TransPnl::Running() const
{
    return run_ != nullptr;
}

void TransPnl::reject()
{
    if (run_) {
        run_->Stop();
        OnRunEnded();
    }
    QDialog::reject();
}

void TransPnl::OnFixSizeClicked()
{
    UpdateData(true);
    const bool fixed = fixSizeBox_->isChecked();
    widthEdit_->setEnabled(fixed);
    heightEdit_->setEnabled(fixed);
}

void TransPnl::OnDirectionChosen()
{
    UpdateData(true);
    compressList_->setEnabled(CompressApplies(directionList_->currentIndex()));
}

void TransPnl::OnQualitySpin(int change)
{
    // From the number shown, which may have been typed.
    const std::optional<int32_t> shown = ReadLeadingInteger(qualityEdit_->text().toStdString());
    values.quality = QualityStep(shown.value_or(values.quality), change);
    UpdateData(false);
}

void TransPnl::OnProgress(int done, int total)
{
    progress_->setRange(0, std::max(total, 1));
    progress_->setValue(std::min(done, std::max(total, 1)));
    progressLabel_->setText(TimeLeft(runClock_.elapsed(), done, total));
    framesWritten_ = done;
}

void TransPnl::OnRunEnded()
{
    const bool stopAsked = run_->StopAsked();
    const ConversionResult result = run_->Wait();
    run_.reset();
    startButton_->setEnabled(true);
    stopButton_->setEnabled(false);
    progressLabel_->setText(QString::fromStdString(RunOutcome(result, stopAsked, framesWritten_)));
    emit conversionFinished();
}

bool TransPnl::MayWrite(ConversionWay way, const std::string& path)
{
    // The converters replace what they find; one click must not lose a
    // user's own files without a question, nor ever the film being read.
    const std::optional<ExistingOutputs> existing = FindExistingOutputs(way, path);
    if (!existing || existing->files.empty())
        return true;
    if (!existing->sourceHit.empty()) {
        platform::ShowMessage(SourceHitMessage(existing->sourceHit));
        return false;
    }
    const QString first = QString::fromStdString(existing->files.front().path);
    const qsizetype count = qsizetype(existing->files.size());
    const QString text = count == 1 ? QStringLiteral("%1 already exists.\nReplace it?").arg(first)
                                    : QStringLiteral("%1 files of this conversion already exist, the first of them "
                                                     "%2.\nReplace them?").arg(count).arg(first);
    QMessageBox question(QMessageBox::Question, windowTitle(), text, QMessageBox::NoButton, this);
    QPushButton* replace = question.addButton(QStringLiteral("Replace"), QMessageBox::AcceptRole);
    question.setDefaultButton(question.addButton(QMessageBox::Cancel));
    question.exec();
    return question.clickedButton() == replace;
}

std::string TransPnl::ChooseSource(ConversionWay way)
{
    const ConverterSource& source = SourceOf(way);
    FileRequest request;
    request.nameFilters = NameFilters(MakeOpenDialog({{source.description, source.pattern}}, false).entries);
    return QDir::toNativeSeparators(chooser_(this, request)).toStdString();
}

}  // namespace plexo
