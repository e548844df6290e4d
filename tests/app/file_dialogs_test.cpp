#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>

#include <tuple>

#include "app/file_dialogs.h"
#include "viewer_fixture.h"

namespace plexo::test {
namespace {

using SaveAsDialog = ViewerTest;

// Typed as a user would: a type from the list, then the name and Enter.
TEST_F(SaveAsDialog, AppendsTheChosenTypesExtension)
{
    for (const auto& [down, typed, saved] :
         {std::tuple{false, "shot", "shot.bmp"}, {true, "shot", "shot.jpg"}, {true, "shot.bmp", "shot.bmp"}}) {
        QTimer::singleShot(0, [down, typed] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (down)
                QTest::keyClick(dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")), Qt::Key_Down);
            QTest::keyClicks(name, typed);
            QTest::keyClick(name, Qt::Key_Return);
        });
        EXPECT_EQ(QFileInfo(RunFileDialog(nullptr, SaveAsRequest())).fileName(), saved) << typed << down;
    }
}

}  // namespace
}  // namespace plexo::test
