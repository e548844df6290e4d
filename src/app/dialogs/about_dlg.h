#pragma once
// The About box: the program's icon, its name and version, OK.

#include <QDialog>

namespace plexo {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace plexo
