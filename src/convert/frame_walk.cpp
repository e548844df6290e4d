#include "convert/frame_walk.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "film/ms_film.h"
#include "platform/held_reports.h"

namespace plexo {

namespace {

bool Stopped(const ConversionControl& control)
{
    return control.stop && control.stop->load();
}

Picture CadrePicture(Cadre& frame, Tone tone)
{
    int32_t width = 0, height = 0;
    const uint8_t* data = tone == Tone::Grey ? frame.GreyPicture(width, height) : frame.ColourPicture(width, height);
    if (!data || width <= 0 || height <= 0)
        return {};
    return {data, width, height, tone == Tone::Grey ? 1 : 3};
}

bool WalkInTurn(Film& film, Tone tone, const ConversionControl& control, FrameWork& work)
{
    const int total = film.FrameCount();
    int done = 0;
    do {
        if (Stopped(control))
            return false;
        const int32_t number = film.FrameNumber();
        const bool written = work.Make(FilmPicture(film, Eye::Current, tone), number) && work.Put(number);
        film.ReleasePictures();
        if (!written)
            return false;
        ++done;
        if (control.onFrame)
            control.onFrame(done, total);
    } while (film.Next());
    return true;
}

// The frames' own pictures are built by the workers: frames of a
// single-source film are independent of each other, and the film's cursor
// stays with the walk's thread. The frames in flight, two a worker, bound the
// memory; a frame's picture, the largest part of it, goes as soon as the
// frame is made unless the work still holds it, so that the pictures alive at
// once are about one a worker. That also spares the system mapping and
// zeroing fresh pages for more pictures at the start of every run.
class ParallelWalk {
public:
    ParallelWalk(MSFilm& film, Tone tone, const ConversionControl& control, const FrameWorkMaker& makeWork,
                 const std::function<void()>& whileWaiting, int workers)
        : film_(film), tone_(tone), control_(control), whileWaiting_(whileWaiting), slots_(size_t(workers) * 2)
    {
        for (Slot& slot : slots_)
            slot.work = makeWork();
        try {
            for (int i = 0; i < workers; ++i)
                threads_.emplace_back([this] { Work(); });
        } catch (const std::system_error&) {
            // Fewer threads than asked for still walk the film; none leaves it
            // to the caller's thread.
        }
    }

    ~ParallelWalk()
    {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
            queue_.clear();
        }
        wake_.notify_all();
        for (std::thread& t : threads_)
            t.join();
    }

    bool Started() const { return !threads_.empty(); }

    bool Run()
    {
        const int total = film_.FrameCount();
        size_t issued = 0, put = 0;
        bool more = true;
        for (;;) {
            Issue(more, issued, put);
            if (put == issued)
                return true;
            Slot& slot = slots_[put % slots_.size()];
            {
                // This thread only puts: were it to make frames too, the
                // workers would sit idle while it finished one, with every
                // slot made or taken and none free to hand out.
                std::unique_lock lock(mutex_);
                if (slot.state != State::Made && whileWaiting_) {
                    lock.unlock();
                    whileWaiting_();
                    lock.lock();
                }
                made_.wait(lock, [&] { return slot.state == State::Made; });
            }
            // A frame's reports come out at its turn, as on one thread; those
            // of the frames after the walk's end, made ahead, go with the slots.
            const bool stopped = Stopped(control_);
            if (!stopped)
                slot.reports.Release();
            const bool written = !stopped && slot.made && slot.work->Put(slot.number);
            film_.ReleaseFrame(slot.index);
            slot.state = State::Free;
            if (!written)
                return false;
            ++put;
            if (control_.onFrame)
                control_.onFrame(int(put), total);
        }
    }

private:
    enum class State { Free, Queued, Made };
    struct Slot {
        std::unique_ptr<FrameWork> work;
        Cadre* frame = nullptr;
        size_t index = 0;
        int32_t number = 0;
        State state = State::Free;
        bool made = false;
        platform::HeldReports reports;
    };

    // Hands out frames until every slot is busy or the film ends.
    void Issue(bool& more, size_t& issued, size_t put)
    {
        {
            std::lock_guard lock(mutex_);
            while (more && issued - put < slots_.size()) {
                const size_t at = issued % slots_.size();
                Slot& slot = slots_[at];
                slot.frame = film_.CurrentFrame();
                slot.index = size_t(film_.Position());
                slot.number = film_.FrameNumber();
                slot.state = State::Queued;
                queue_.push_back(at);
                ++issued;
                more = film_.Next();
            }
        }
        wake_.notify_all();
    }

    // Makes queued frames, unlocked while it works on each.
    void Work()
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [&] { return quit_ || !queue_.empty(); });
            if (quit_)
                return;
            Slot& slot = slots_[queue_.front()];
            queue_.pop_front();
            lock.unlock();
            bool made = false;
            {
                const platform::ReportHold hold(slot.reports);
                made = slot.work->Make(CadrePicture(*slot.frame, tone_), slot.number);
            }
            if (!slot.work->HoldsPicture())
                slot.frame->ReleasePicture();
            lock.lock();
            slot.made = made;
            slot.state = State::Made;
            made_.notify_all();
        }
    }

    MSFilm& film_;
    Tone tone_;
    const ConversionControl& control_;
    const std::function<void()>& whileWaiting_;
    std::vector<Slot> slots_;
    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable made_;
    std::deque<size_t> queue_;
    bool quit_ = false;
};

int WorkerCount(int asked)
{
    if (asked > 0)
        return asked;
    return int(std::max(1u, std::thread::hardware_concurrency()));
}

}  // namespace

bool WalkFrames(Film& film, Tone tone, const ConversionControl& control, const FrameWorkMaker& makeWork,
                const std::function<void()>& whileWaiting)
{
    film.SetShift(0);
    film.SetRound(false);
    film.Seek(0);
    auto* frames = dynamic_cast<MSFilm*>(&film);
    const int workers = WorkerCount(control.workers);
    bool whole = false;
    {
        // Gone before the pictures are released: its threads joined, and the
        // files of frames made but never put dropped.
        std::optional<ParallelWalk> parallel;
        if (frames && workers > 1)
            parallel.emplace(*frames, tone, control, makeWork, whileWaiting, workers);
        whole = parallel && parallel->Started() ? parallel->Run() : WalkInTurn(film, tone, control, *makeWork());
    }
    film.ReleasePictures();
    return whole;
}

}  // namespace plexo
