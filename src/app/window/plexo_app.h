#pragma once
// The application object: parses the command line, builds the document and
// the main frame in the framework's order, opens the command line's film and
// tears everything down in the reverse order, so that both write their
// settings.

#include <memory>
#include <string>
#include <vector>

#include "doc/command_line.h"

namespace plexo {

class CMainFrame;
class CPlexoDoc;
class Display;

class CPlexoApp {
public:
    // The parameters after the program's name.
    explicit CPlexoApp(const std::vector<std::string>& parameters);
    // Destroys the main frame, then the document; each writes its settings.
    ~CPlexoApp();
    CPlexoApp(const CPlexoApp&) = delete;
    CPlexoApp& operator=(const CPlexoApp&) = delete;

    // Builds the windows, opens the command line's film and shows the main
    // window. A film that cannot be opened leaves an empty window, says so,
    // and asks for neither play nor stereo.
    void InitInstance();

    CPlexoCmdInfo cmdInfo;

    CPlexoDoc* document() const { return doc_.get(); }
    CMainFrame* mainFrame() const { return frame_.get(); }
    Display* logPanel() const { return logPanel_.get(); }

private:
    std::unique_ptr<CPlexoDoc> doc_;
    std::unique_ptr<CMainFrame> frame_;
    // Of no window, so that Translate, which blocks the main frame, leaves it
    // usable; it goes before the main frame.
    std::unique_ptr<Display> logPanel_;
};

}  // namespace plexo
