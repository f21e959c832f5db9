#pragma once
// File > Open Recent: the files and split sets opened last, most recent first. An entry whose
// files are gone is greyed, its paths in the tool tip like every entry's.
#include <QMenu>
#include <vector>

#include "app/FileRow.h"
#include "app/RecentFiles.h"

namespace Ui {

class RecentMenu : public QMenu {
    Q_OBJECT
  public:
    // The list from its file in the settings folder (`path` for tests).
    explicit RecentMenu(QWidget* parent, const std::string& path = App::RecentFiles::defaultPath());

    const App::RecentFiles& files() const { return recent; }
    // Rows the user opened, in the order opened: their sources go to the top.
    void remember(const std::vector<App::CFileRow*>& rows);

  signals:
    void entryChosen(const App::RecentEntry& entry);

  private:
    // At every showing, so that the greyed entries are those missing now (and never while one
    // of its actions is being triggered).
    void rebuild();
    void store();

    App::RecentFiles recent;
};

} // namespace Ui
