#include "app/dialogs/export_pnl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "app/dialogs/run_panel.h"
#include "audio/export_sound.h"
#include "convert/output_names.h"
#include "convert/stereo_export.h"
#include "doc/document.h"
#include "pipeline/pair_pipeline.h"
#include "platform/export_settings.h"
#include "platform/message_sink.h"
#include "subtitle/subtitle_tracks.h"

namespace plexo {

namespace {

// The presentations a picture can be written in: all but page flipping,
// whose eyes take turns on the screen.
bool Writable(const Presentation& presentation)
{
    return !presentation.flips;
}

ConversionResult ResultOf(ExportResult result)
{
    switch (result) {
    case ExportResult::Ok:
        return ConversionResult::Ok;
    case ExportResult::UnknownFormat:
        return ConversionResult::IncompatibleType;
    case ExportResult::NoFrame:
        return ConversionResult::NoFilm;
    default:
        return ConversionResult::WriteError;
    }
}

}  // namespace

ExportPnl::ExportPnl(QWidget* parent, const CPlexoDoc& doc, double framesPerSecond, FileChooser chooser)
    : RunDialog(parent),
      doc_(doc),
      framesPerSecond_(framesPerSecond),
      chooser_(std::move(chooser))
{
    setWindowTitle(QStringLiteral("Export Stereo"));

    formatList_ = new QComboBox(this);
    for (const ExportFormat& format : ExportFormats())
        formatList_->addItem(QStringLiteral("%1 (*.%2)").arg(QString::fromUtf8(format.description),
                                                             QString::fromUtf8(format.extension)));
    modeList_ = new QComboBox(this);
    for (const Presentation& presentation : Presentations())
        if (Writable(presentation))
            modeList_->addItem(QString::fromUtf8(presentation.label), int(presentation.id));
    modeList_->setCurrentIndex(modeList_->findData(int(PresentationId::SideBySide)));
    layoutList_ = new QComboBox(this);
    for (const VideoLayout layout : kVideoLayouts) {
        ExportOptions options;
        options.layout = layout;
        // Every video row composes a layout alike; the first one names them.
        const auto video = std::find_if(ExportFormats().begin(), ExportFormats().end(),
                                        [](const ExportFormat& format) { return format.oneFile; });
        const PresentationId shown =
            video != ExportFormats().end() ? video->presentation(options) : PresentationId::SideBySide;
        layoutList_->addItem(QString::fromUtf8(PresentationOf(shown).label), int(layout));
    }
    allFrames_ = new QRadioButton(QStringLiteral("All frames"), this);
    currentFrame_ = new QRadioButton(QStringLiteral("Current frame"), this);
    allFrames_->setChecked(true);
    qualityBox_ = new QSpinBox(this);
    qualityBox_->setRange(1, 100);
    qualityBox_->setValue(95);
    qualityBox_->setSuffix(QStringLiteral(" %"));
    distBox_ = new QCheckBox(QStringLiteral("Apply the view's displacement"), this);
    soundBox_ = new QCheckBox(QStringLiteral("Keep the &sound"), this);
    soundBox_->setChecked(true);
    subtitleList_ = new QComboBox(this);
    depthList_ = new QComboBox(this);
    depthList_->setEditable(true);
    depthList_->addItems({QStringLiteral("auto"), QStringLiteral("authored")});
    depthList_->setToolTip(QStringLiteral("auto, authored or a disparity in pixels (positive: in front)"));
    FillSubtitles();
    // A spherical film is written as the flat stereo film its camera sees
    // now, each eye of the size chosen.
    viewList_ = new QComboBox(this);
    for (const QSize& size : {QSize(1920, 1080), QSize(1280, 720), QSize(3840, 2160), QSize(1080, 1080)})
        viewList_->addItem(QStringLiteral("%1 x %2").arg(size.width()).arg(size.height()), size);
    viewList_->setEnabled(doc_.projection().projection.spherical());
    nameEdit_ = new QLineEdit(this);
    nameEdit_->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 48);
    browseButton_ = new QPushButton(QStringLiteral("Browse..."), this);
    startButton_ = new QPushButton(QStringLiteral("Start"), this);
    startButton_->setDefault(true);
    stopButton_ = new QPushButton(QStringLiteral("Stop"), this);
    closeButton_ = new QPushButton(QStringLiteral("Close"), this);

    // The last choices, each where its list still has it.
    const platform::ExportSettings kept = platform::ExportSettings::Read();
    // A video goes out as a video unless the last choice was one: a run of
    // stills would be a file a frame.
    const ExportFormat* format = ExportFormatOf("." + kept.format);
    if (doc_.ownRate() && (!format || !format->oneFile))
        format = ExportFormatOf(".mkv");
    if (format)
        formatList_->setCurrentIndex(int(format - ExportFormats().data()));
    if (const Presentation* presentation = PresentationNamed(kept.presentation))
        modeList_->setCurrentIndex(std::max(0, modeList_->findData(int(presentation->id))));
    if (const std::optional<VideoLayout> layout = VideoLayoutNamed(kept.layout))
        layoutList_->setCurrentIndex(std::max(0, layoutList_->findData(int(*layout))));
    qualityBox_->setValue(kept.quality);
    distBox_->setChecked(kept.applyDisplacement);
    if (!doc_.filmPaths().empty() && Format()) {
        const std::string base = SequenceBase(doc_.filmPaths().front()) + "-stereo.";
        nameEdit_->setText(QString::fromStdString(base + Format()->extension));
    }

    auto* form = new QGridLayout;
    int row = 0;
    const auto addRow = [this, form, &row](const char* label, QWidget* field) {
        auto* text = new QLabel(QString::fromUtf8(label), this);
        text->setBuddy(field);
        form->addWidget(text, row, 0);
        form->addWidget(field, row++, 1, 1, 2);
    };
    addRow("&Format", formatList_);
    addRow("&Presentation", modeList_);
    addRow("La&yout", layoutList_);
    auto* frames = new QHBoxLayout;
    frames->addWidget(allFrames_);
    frames->addWidget(currentFrame_);
    frames->addStretch();
    form->addWidget(new QLabel(QStringLiteral("Frames"), this), row, 0);
    form->addLayout(frames, row++, 1, 1, 2);
    addRow("JPEG &quality", qualityBox_);
    form->addWidget(distBox_, row++, 1, 1, 2);
    form->addWidget(soundBox_, row++, 1, 1, 2);
    addRow("S&ubtitles", subtitleList_);
    addRow("Subtitle &depth", depthList_);
    addRow("Spherical &view", viewList_);
    auto* output = new QLabel(QStringLiteral("&Output"), this);
    output->setBuddy(nameEdit_);
    form->addWidget(output, row, 0);
    form->addWidget(nameEdit_, row, 1);
    form->addWidget(browseButton_, row++, 2);
    form->setColumnStretch(1, 1);

    LayOut(form, startButton_, stopButton_, closeButton_);

    connect(formatList_, &QComboBox::currentIndexChanged, this, &ExportPnl::OnFormatChosen);
    connect(subtitleList_, &QComboBox::currentIndexChanged, this,
            [this] { depthList_->setEnabled(!subtitleList_->currentData().toString().isEmpty()); });
    connect(nameEdit_, &QLineEdit::textEdited, this, &ExportPnl::OnNameChanged);
    connect(browseButton_, &QPushButton::clicked, this, &ExportPnl::OnBrowse);
    connect(startButton_, &QPushButton::clicked, this, &ExportPnl::OnStart);
    connect(runPanel_, &RunPanel::ended, this, &ExportPnl::exportFinished);
    OnFormatChosen();
}

ExportPnl::~ExportPnl()
{
    platform::ExportSettings kept;
    if (const ExportFormat* format = Format())
        kept.format = format->extension;
    kept.presentation = PresentationOf(PresentationId(modeList_->currentData().toInt())).name;
    kept.layout = VideoLayoutName(VideoLayout(layoutList_->currentData().toInt()));
    kept.quality = qualityBox_->value();
    kept.applyDisplacement = distBox_->isChecked();
    kept.Write();
}

const ExportFormat* ExportPnl::Format() const
{
    const int index = formatList_->currentIndex();
    return index >= 0 && size_t(index) < ExportFormats().size() ? &ExportFormats()[size_t(index)] : nullptr;
}

ExportOptions ExportPnl::Options() const
{
    ExportOptions options;
    if (const Film* film = doc_.film()) {
        options.shift = film->GetShift();
        if (currentFrame_->isChecked())
            options.index = film->Position();
    }
    options.adjust = doc_.stereo().adjust;
    if (!distBox_->isChecked())
        options.adjust.dist = 0;
    options.mode = PresentationId(modeList_->currentData().toInt());
    options.layout = VideoLayout(layoutList_->currentData().toInt());
    options.fps = framesPerSecond_;
    options.quality = qualityBox_->value();
    return options;
}

void ExportPnl::FillSubtitles()
{
    subtitleList_->addItem(QStringLiteral("None"), QString());
    const std::vector<subtitle::SubtitleTrack> tracks = doc_.filmPaths().empty()
                                                            ? std::vector<subtitle::SubtitleTrack>{}
                                                            : subtitle::SubtitleTracks(doc_.filmPaths().front());
    if (!tracks.empty())
        subtitleList_->addItem(QStringLiteral("The film's default"), QStringLiteral("default"));
    for (size_t i = 0; i < tracks.size(); ++i)
        subtitleList_->addItem(QString::fromStdString(subtitle::TrackLabel(tracks[i])), QString::number(i + 1));
    // Those the view shows: its choice, else a file beside the film, which
    // it shows unasked.
    std::optional<int32_t> shown = doc_.subtitleTrack();
    if (!shown) {
        const auto file = std::find_if(tracks.begin(), tracks.end(),
                                       [](const subtitle::SubtitleTrack& t) { return t.stream < 0; });
        shown = file != tracks.end() ? int32_t(file - tracks.begin()) + 1 : 0;
    }
    subtitleList_->setCurrentIndex(std::max(0, subtitleList_->findData(*shown ? QString::number(*shown) : QString())));
    subtitleList_->setEnabled(!tracks.empty());
    depthList_->setCurrentText(QString::fromStdString(doc_.subtitleDepth()));
    depthList_->setEnabled(subtitleList_->currentIndex() > 0);
}

void ExportPnl::OnFormatChosen()
{
    const ExportFormat* format = Format();
    modeList_->setEnabled(format && format->takesMode);
    layoutList_->setEnabled(format && format->oneFile);
    soundBox_->setEnabled(format && format->oneFile);
    // A name of another format's extension takes this one's.
    const QString name = nameEdit_->text();
    const ExportFormat* named = ExportFormatOf(name.toStdString());
    if (format && named && named != format) {
        const QString suffix = QFileInfo(name).suffix();
        nameEdit_->setText(name.left(name.size() - suffix.size()) + QString::fromUtf8(format->extension));
    }
}

void ExportPnl::OnNameChanged()
{
    // A name typed or chosen with another format's extension chooses that
    // format, so that the list always shows what Start writes.
    if (const ExportFormat* named = ExportFormatOf(nameEdit_->text().toStdString()))
        formatList_->setCurrentIndex(int(named - ExportFormats().data()));
}

void ExportPnl::OnBrowse()
{
    const ExportFormat* format = Format();
    if (!format)
        return;
    FileRequest request;
    request.save = true;
    request.title = windowTitle();
    request.nameFilters << formatList_->currentText();
    request.defaultSuffix = QString::fromUtf8(format->extension);
    const QString chosen = chooser_(this, request);
    if (!chosen.isEmpty()) {
        nameEdit_->setText(QDir::toNativeSeparators(chosen));
        OnNameChanged();
    }
}

void ExportPnl::OnStart()
{
    if (Running())
        return;
    const std::string out = nameEdit_->text().trimmed().toStdString();
    const ExportFormat* format = ExportFormatOf(out);
    if (out.empty() || std::filesystem::is_directory(out)) {
        platform::ShowMessage("Please enter the name of the file to write.");
        nameEdit_->setFocus();
        return;
    }
    if (!format) {
        platform::ShowMessage(UnknownExportFormatMessage(out));
        nameEdit_->setFocus();
        return;
    }
    const std::string subtitles = subtitleList_->currentData().toString().toStdString();
    const std::optional<subtitle::DepthChoice> depth =
        subtitle::ParseDepth(depthList_->currentText().trimmed().toStdString());
    if (!subtitles.empty() && !depth) {
        platform::ShowMessage("Please enter auto, authored or a whole number from -" +
                              std::to_string(subtitle::kMaxFixedDepth) + " to " +
                              std::to_string(subtitle::kMaxFixedDepth) + ".");
        depthList_->setFocus();
        return;
    }
    // The export's own copy: the view goes on drawing the document's.
    std::shared_ptr<Film> film = doc_.OpenFilmAgain();
    if (!film)
        return;
    ExportOptions options = Options();
    const std::vector<std::string> outputs = ExportOutputNames(*film, out, options);
    for (const std::string& path : doc_.filmPaths())
        if (const std::optional<std::string> refusal = ExportSourceRefusal(path, outputs)) {
            platform::ShowMessage(*refusal);
            return;
        }
    std::vector<std::string> existing;
    for (const std::string& name : outputs)
        if (std::filesystem::exists(std::filesystem::symlink_status(name)))
            existing.push_back(name);
    if (!MayReplace(this, existing, "export"))
        return;
    const audio::FilmSound sound{doc_.filmPaths().front(), doc_.audioTrack(), soundBox_->isChecked()};
    // The film's kept correction, or every frame aligned, and the subtitles
    // chosen burnt in, an automatic depth looked over ahead on another
    // opening of the film.
    pipeline::PipelineChoice choice;
    choice.align = doc_.alignment();
    if (!subtitles.empty()) {
        choice.subtitlesFrom = pipeline::SubtitlesFrom::Named;
        choice.subtitles = subtitles;
        choice.depth = *depth;
    }
    choice.presentation = format->presentation(options);
    const QSize eye = viewList_->currentData().toSize();
    choice.sphere = {doc_.projection().projection, doc_.sphereCamera(), eye.width(), eye.height()};
    const std::string path = doc_.filmPaths().front();
    const pipeline::PipelineFilm seen{path, film->FrameRate(), film->Layout().layout,
                                      [this, shift = options.shift] {
                                          FilmPtr again = doc_.OpenFilmAgain();
                                          if (again)
                                              again->SetShift(shift);
                                          return again;
                                      },
                                      pipeline::LookAheadOn::Caller, nullptr};
    std::string why;
    const std::shared_ptr<const pipeline::PairPipeline> chain = pipeline::BuildPipeline(seen, choice, why);
    if (!why.empty()) {
        platform::ShowMessage(path + ": cannot show its subtitles: " + why);
        return;
    }
    // With a correction goes the film's own D (its window), as plexo-tool
    // export writes it.
    if (chain->Aligns())
        options.adjust.dist = doc_.stereo().adjust.dist;
    std::shared_ptr<Film> staged = chain->Through(*film);
    Film* shown = staged ? staged.get() : film.get();
    runPanel_->Run([film, staged, shown, out, options, sound](const ConversionControl& control) {
        return ResultOf(audio::ExportWithSound(*shown, out, options, control, sound));
    });
}

}  // namespace plexo
