#include "pipeline/pair_pipeline.h"

#include "align/aligned_pair.h"
#include "align/frame_aligner.h"
#include "doc/film_alignment.h"
#include "pipeline/chained_stage.h"
#include "pipeline/subtitle_opening.h"
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
    PairStage drawn;
    if (subtitles.stage) {
        subtitle::StageOptions options;
        options.depth = choice.depth;
        options.mono = subtitle::ShowsOneEye(choice.presentation);
        options.layout = film.layout;
        options.viewWidth = choice.viewWidth;
        options.viewHeight = choice.viewHeight;
        drawn = [stage = subtitles.stage, rate = film.frameRate, options](const EyePair& pair) {
            return subtitle::SubtitledPair(*stage, rate, pair, options);
        };
    }
    // Subtitles are drawn after the correction, so that they sit level
    // whatever it moved.
    pipeline->stage_ = ChainedStage(alignment.stage, std::move(drawn));
    pipeline->madeAt_ = alignment.stage ? PictureScale{} : choice.shownScale;
    return pipeline;
}

}  // namespace plexo::pipeline
