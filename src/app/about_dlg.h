#pragma once
// The About box: the program's icon, its name and version, OK.

#include <QDialog>

namespace plexo {

// Shown when the application object carries no version of its own.
inline constexpr char kPlexoVersion[] = "0.1.0";

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace plexo
