#include "app/dialogs/trans_pnl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QPushButton>

#include <algorithm>

#include "app/dialogs/dialog_controls.h"
#include "app/dialogs/set_pnl_fields.h"
#include "app/dialogs/run_panel.h"
#include "app/dialogs/trans_pnl_spin.h"
#include "convert/existing_outputs.h"
#include "doc/open_dialog_filter.h"
#include "platform/message_sink.h"
#include "platform/translate_settings.h"

namespace plexo {

TransPnl::TransPnl(QWidget* parent, FileChooser chooser)
    : RunDialog(parent),
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

    LayOut(form, startButton_, stopButton_, cancelButton_);

    connect(startButton_, &QPushButton::clicked, this, &TransPnl::OnStart);
    connect(fixSizeBox_, &QCheckBox::clicked, this, &TransPnl::OnFixSizeClicked);
    connect(directionList_, &QComboBox::activated, this, &TransPnl::OnDirectionChosen);
    connect(qualitySpin_, &UpDownControl::stepped, this, &TransPnl::OnQualitySpin);
    connect(runPanel_, &RunPanel::ended, this, &TransPnl::conversionFinished);

    UpdateData(false);
    widthEdit_->setEnabled(false);
    heightEdit_->setEnabled(false);
    compressList_->setEnabled(true);
}

TransPnl::~TransPnl()
{
    runPanel_->EndRun();
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

    runPanel_->Run([way = *way, path, options](const ConversionControl& control) {
        return Convert(way, path, options, control);
    });
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
    std::vector<std::string> paths;
    for (const ExistingOutputs::File& file : existing->files)
        paths.push_back(file.path);
    return MayReplace(this, paths, "conversion");
}

std::string TransPnl::ChooseSource(ConversionWay way)
{
    const ConverterSource& source = SourceOf(way);
    FileRequest request;
    request.nameFilters = NameFilters(MakeOpenDialog({{source.description, source.pattern}}, false).entries);
    return QDir::toNativeSeparators(chooser_(this, request)).toStdString();
}

}  // namespace plexo
