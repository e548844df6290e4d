#include "tool/progress.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>

namespace plexo::tool {

ProgressBar::ProgressBar(std::FILE* out)
    : out_(out), active_(::isatty(::fileno(out)) != 0), start_(std::chrono::steady_clock::now())
{
}

void ProgressBar::Update(int done, int total)
{
    if (!active_ || total <= 0)
        return;
    done_ = done;
    total_ = total;
    constexpr int kCells = 30;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    const double fps = seconds > 0 ? done / seconds : 0;
    // Held below a day, so that a stalled start cannot overflow the count.
    const int left = fps > 0 ? int(std::min((total - done) / fps + 0.5, 86399.0)) : 0;
    const int filled = int(std::clamp(int64_t(done) * kCells / total, int64_t(0), int64_t(kCells)));
    char bar[kCells + 1];
    std::fill(bar, bar + filled, '#');
    std::fill(bar + filled, bar + kCells, '.');
    bar[kCells] = '\0';
    if (done > 0)
        std::fprintf(out_, "\r[%s] %d/%d  %.1f fps  %d:%02d left ", bar, done, total, fps, left / 60, left % 60);
    else
        std::fprintf(out_, "\r[%s] 0/%d  -- fps  --:-- left ", bar, total);
    std::fflush(out_);
    shown_ = true;
}

void ProgressBar::Clear()
{
    if (!shown_)
        return;
    std::fprintf(out_, "\r\033[K");
    std::fflush(out_);
    shown_ = false;
}

void ProgressBar::Redraw()
{
    if (total_ > 0)
        Update(done_, total_);
}

ProgressReport::ProgressReport()
{
    // Log lines go above the bar, which is drawn again on the next frame.
    previous_ = platform::SetLogSink([this](const std::string& message, platform::LogLine) {
        bar_.Clear();
        std::fprintf(stderr, "%s\n", message.c_str());
        bar_.Redraw();
    });
    control_.onFrame = [this](int put, int total) {
        done_ = put;
        bar_.Update(put, total);
    };
}

ProgressReport::~ProgressReport()
{
    platform::SetLogSink(previous_);
}

}  // namespace plexo::tool
