#include "pipeline/pair_pipeline.h"

#include "align/aligned_pair.h"
#include "align/frame_aligner.h"
#include "doc/film_alignment.h"
#include "pipeline/chained_stage.h"
#include "pipeline/subtitle_opening.h"
#include "pipeline/viewport_stage.h"
#include "subtitle/look_ahead.h"
#include "subtitle/subtitled_pair.h"

namespace plexo::pipeline {

namespace {

// What the alignment is made from; a pipeline of corrections found frame by
// frame has none and is never taken over.
std::string AlignmentKey(const PipelineChoice& choice)
{
    if (!choice.frameModels.empty())
        return {};
    return std::string(choice.everyFrame ? "every\n" : "kept\n") + choice.align;
}

std::string SubtitlesKey(const PipelineFilm& film, const PipelineChoice& choice)
{
    if (choice.subtitlesFrom == SubtitlesFrom::None || film.path.empty())
        return {};
    std::string key = film.path + '\n' + std::to_string(int(choice.subtitlesFrom)) + '\n' + choice.subtitles + '\n' +
                      std::to_string(int(film.lookAhead));
    // Only an automatic depth looks ahead for a caller.
    if (film.lookAhead == LookAheadOn::Caller)
        key += choice.depth.mode == subtitle::DepthMode::Automatic ? "\nauto" : "\nother";
    return key;
}

std::string ViewportKey(const SphereChoice& sphere)
{
    if (!sphere.looks())
        return {};
    const Projection& p = sphere.projection;
    std::string key = std::to_string(int(p.kind));
    for (double value : {p.fisheyeDegrees, p.left, p.right, p.top, p.bottom, p.yaw, p.pitch, p.roll,
                         sphere.camera.yaw, sphere.camera.pitch, sphere.camera.fov})
        key += ' ' + std::to_string(value);
    return key + ' ' + std::to_string(sphere.width) + 'x' + std::to_string(sphere.height);
}

PairStage FrameModelsStage(std::map<int32_t, align::AlignModel> models)
{
    return [models = std::move(models)](const EyePair& pair) -> EyePairPtr {
        const auto model = models.find(pair.frameNumber);
        return model == models.end() ? nullptr : align::AlignedPair(pair, model->second);
    };
}

}  // namespace

std::optional<align::AlignModel> PairPipeline::AlignmentShown() const
{
    if (alignment_.everyFrame)
        return alignment_.everyFrame->Current();
    return alignment_.model;
}

int PairPipeline::SubtitleDisparity() const
{
    return subtitles_.stage ? subtitles_.stage->lastDisparity() : 0;
}

std::unique_ptr<Film> PairPipeline::Through(Film& film) const
{
    if (!stage_)
        return nullptr;
    return std::make_unique<StagedFilm>(film, stage_);
}

std::shared_ptr<const PairPipeline> BuildPipeline(const PipelineFilm& film, const PipelineChoice& choice,
                                                  std::string& why, const PairPipeline* previous)
{
    auto pipeline = std::make_shared<PairPipeline>();
    PairPipeline::Viewport& viewport = pipeline->viewport_;
    viewport.key = ViewportKey(choice.sphere);
    // Another presentation keeps the camera's maps.
    if (previous && !viewport.key.empty() && previous->viewport_.key == viewport.key)
        viewport = previous->viewport_;
    else if (!viewport.key.empty())
        viewport.stage = ViewportStage(choice.sphere.projection, choice.sphere.camera, choice.sphere.width,
                                       choice.sphere.height);
    PairPipeline::Alignment& alignment = pipeline->alignment_;
    alignment.key = AlignmentKey(choice);
    if (previous && !alignment.key.empty() && previous->alignment_.key == alignment.key) {
        alignment = previous->alignment_;
    } else if (!choice.frameModels.empty()) {
        alignment.stage = FrameModelsStage(choice.frameModels);
    } else if (choice.everyFrame || choice.align == kAlignEveryFrame) {
        alignment.everyFrame = std::make_shared<align::FrameAligner>();
        alignment.stage = [aligner = alignment.everyFrame](const EyePair& pair) { return aligner->Align(pair); };
    } else if ((alignment.model = align::ParseAlignModel(choice.align))) {
        alignment.stage = [model = *alignment.model](const EyePair& pair) { return align::AlignedPair(pair, model); };
    }

    PairPipeline::Subtitles& subtitles = pipeline->subtitles_;
    subtitles.key = SubtitlesKey(film, choice);
    if (previous && !subtitles.key.empty() && previous->subtitles_.key == subtitles.key)
        subtitles.stage = previous->subtitles_.stage;
    else
        subtitles.stage = OpenPipelineSubtitles(film, choice, why);
    const bool lined = film.line && !choice.line.empty();
    if (!subtitles.stage && lined)
        subtitles.stage = std::make_shared<subtitle::SubtitleStage>(nullptr);
    if (subtitles.stage)
        subtitles.stage->SetLine(lined ? film.line : nullptr, choice.line);
    PairStage drawn;
    if (subtitles.stage) {
        subtitle::StageOptions options;
        options.depth = choice.depth;
        options.mono = subtitle::ShowsOneEye(choice.presentation);
        options.layout = film.layout;
        options.viewWidth = choice.viewWidth;
        options.viewHeight = choice.viewHeight;
        options.delayUs = choice.subtitleDelayUs;
        drawn = [stage = subtitles.stage, rate = film.frameRate, options](const EyePair& pair) {
            return subtitle::SubtitledPair(*stage, rate, pair, options);
        };
    }
    // Subtitles are drawn after the correction, so that they sit level
    // whatever it moved.
    // The viewport comes first: the correction and the subtitles belong to
    // the rectilinear eyes shown.
    pipeline->stage_ = ChainedStage(viewport.stage, ChainedStage(alignment.stage, std::move(drawn)));
    // A correction and the viewport each resample whole eyes: they get them
    // at their own size.
    const bool wholeEyes = alignment.stage || choice.sphere.projection.spherical();
    pipeline->madeAt_ = wholeEyes ? PictureScale{} : choice.shownScale;
    return pipeline;
}

}  // namespace plexo::pipeline
