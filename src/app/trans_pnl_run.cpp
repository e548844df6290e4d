#include "app/trans_pnl_run.h"

#include <utility>

namespace plexo {

ConversionRun::ConversionRun(ConversionWay way, std::string chosenPath, ConversionOptions options)
    : way_(way),
      path_(std::move(chosenPath)),
      options_(options)
{
}

void ConversionRun::Start()
{
    thread_ = std::thread([this] {
        ConversionControl control;
        control.onFrame = [this](int done, int total) { emit progress(done, total); };
        control.stop = &stop_;
        Convert(way_, path_, options_, control);
        emit ended();
    });
}

ConversionRun::~ConversionRun()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
}

}  // namespace plexo
