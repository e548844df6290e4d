#include "app/window/plexo_app.h"

#include <QPointer>
#include <QString>
#include <QTimer>

#include <filesystem>

#include "app/dialogs/display_panel.h"
#include "app/view/plexo_view.h"
#include "app/window/command_ids.h"
#include "app/window/display_devices.h"
#include "app/window/main_frame.h"
#include "app/window/message_box_sink.h"
#include "app/window/playlist_commands.h"
#include "doc/document.h"
#include "doc/playlist.h"
#include "platform/profile.h"

namespace plexo {

CPlexoApp::CPlexoApp(const std::vector<std::string>& parameters) : cmdInfo(ParseCommandLine(parameters)) {}

CPlexoApp::~CPlexoApp()
{
    RemoveMessageBoxSink();
    logPanel_.reset();
    // Both owners' keys go into the settings file in one replacement.
    const platform::ProfileWriteBatch batch;
    frame_.reset();
    doc_.reset();
}

void CPlexoApp::InitInstance()
{
    const bool fileGiven = !cmdInfo.fileName.empty();
    std::string fileName;
    if (fileGiven) {
        cmdInfo.options.done = false;
        // Made absolute before the main frame restores the stored current
        // directory; a relative "second=" path is resolved after it.
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(cmdInfo.fileName, error);
        fileName = error ? cmdInfo.fileName : absolute.string();
    }
    std::vector<std::string> names;
    for (const std::string& name : cmdInfo.fileNames) {
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(name, error);
        names.push_back(error ? name : absolute.string());
    }

    InstallDisplayDevices();
    doc_ = std::make_unique<CPlexoDoc>(&cmdInfo.options);
    frame_ = std::make_unique<CMainFrame>(*doc_, cmdInfo.options);
    CMainFrame* frame = frame_.get();
    doc_->filmMoved = [frame] { frame->FilmChanged(); };

    logPanel_ = std::make_unique<Display>(frame);
    logPanel_->InstallLogSink();
    frame->commands().Define(kCmdMessageLog, [panel = QPointer<Display>(logPanel_.get())] {
        if (panel)
            panel->Open();
    });
    InstallMessageBoxSink(frame);

    // Shown first, so that a message about the film comes up above the
    // window rather than behind it.
    frame->show();
    AttachDisplayWindow(frame);
    // Posted, so that they run from the event loop on the film just built.
    // A file that gives no film leaves an empty window that does not play,
    // and a later film that does not start playing by itself.
    if (std::optional<Playlist> list = CommandLineList(names)) {
        frame->OpenStartupList(std::move(*list), QString::fromStdString(fileName));
        if (doc_->film())
            frame->PostStartupCommands(cmdInfo.options.play, cmdInfo.options.stereo);
    } else if (fileGiven && frame->OpenDocumentFile(QString::fromStdString(fileName))) {
        frame->PostStartupCommands(cmdInfo.options.play, cmdInfo.options.stereo);
    }
    if (cmdInfo.options.slideshow && doc_->film())
        QTimer::singleShot(0, frame, [frame, seconds = cmdInfo.options.slideSeconds] {
            frame->playlist().StartSlideshow(seconds);
        });
}

}  // namespace plexo
