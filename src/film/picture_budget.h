#pragma once
// The bytes of pictures that the films of the process keep for replay. A
// film keeps the pictures of the frames it has shown; once all films together
// hold more than the budget, each film drops the pictures of its least
// recently shown frames. A film that fits keeps everything, as if there were
// no budget.

#include <cstddef>
#include <functional>
#include <list>
#include <unordered_map>

namespace plexo {

// A quarter of the machine's physical memory.
size_t DefaultPictureBudget();
// The budget starts as the default.
void SetPictureBudget(size_t bytes);
size_t PictureBudget();
// What all films keep now.
size_t KeptPictureBytes();

// The frames of one film that keep a picture, by their index in the film,
// least recently shown first. Used from the film's one thread; the count of
// kept bytes is shared by all films.
class KeptPictures {
public:
    // `drop` takes a frame's picture away when the budget needs its bytes.
    explicit KeptPictures(std::function<void(size_t index)> drop) : drop_(std::move(drop)) {}
    ~KeptPictures() { Forget(); }
    KeptPictures(const KeptPictures&) = delete;
    KeptPictures& operator=(const KeptPictures&) = delete;

    // Frame `index` has just handed out a picture of `bytes`: it becomes the
    // most recent, and while the films hold more than the budget the least
    // recent of this film's frames drop theirs. The two pictures handed out
    // last always stay: a frame is drawn together with its partner.
    void Shown(size_t index, size_t bytes);
    // The frame's picture went by other means.
    void Forget(size_t index);
    // Every frame of the film has dropped its picture.
    void Forget();

private:
    struct Kept {
        std::list<size_t>::iterator at;
        size_t bytes = 0;
    };

    std::function<void(size_t)> drop_;
    std::list<size_t> order_;
    std::unordered_map<size_t, Kept> kept_;
};

}  // namespace plexo
