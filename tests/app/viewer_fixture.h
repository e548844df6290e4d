#pragma once
// Shared by the window tests: a demo .flm film written once per run, BMP
// sequences, a fresh settings file per test, and a started application.

#include <QCoreApplication>
#include <QImage>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/plexo_app.h"
#include "support/fake_film.h"

namespace plexo::test {

// take0001.bmp .. take<count>.bmp in `dir`, each of its own pattern; returns
// the first one's path.
std::string WriteBmpSequence(const std::filesystem::path& dir, int count, int width, int height);

class ViewerTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The demo film on disk (320 x 240, 24 frames).
    static const std::string& DemoFilm();

    // Starts the application with these parameters and lets posted commands run.
    CPlexoApp& Start(const std::vector<std::string>& parameters);
    // Destroys the application the orderly way: the settings are written.
    void Stop() { app_.reset(); }

    // Hands the started application's document an in-memory film.
    FakeFilm& GiveFilm(std::unique_ptr<FakeFilm> film);

    static void Settle();
    static std::string Setting(const std::string& section, const std::string& key);

    // What the view shows now, as 0xffRRGGBB pixels.
    QImage ViewPixels();
    // What the compositors make for the same film state, converted alike.
    QImage ExpectedPixels(bool stereo, int presentation);

    std::filesystem::path scratch_;
    std::unique_ptr<CPlexoApp> app_;
};

}  // namespace plexo::test
