#pragma once
// View > Playlist: a dock beside the view listing the list's entries (the
// #EXTINF title, else the file's name; the path as the tip), the one shown
// selected. A double click or Enter opens an entry. The list is shown
// through a model over the core's own, so that a list of 100,000 entries
// costs no widget each.

#include <QAbstractListModel>
#include <QDockWidget>

#include <functional>

class QListView;

namespace plexo {

class Playlist;

class PlaylistModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit PlaylistModel(const Playlist& list, QObject* parent = nullptr) : QAbstractListModel(parent), list_(list) {}
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // The list was replaced.
    void Reset();

private:
    const Playlist& list_;
};

class PlaylistPanel : public QDockWidget {
    Q_OBJECT
public:
    PlaylistPanel(const Playlist& list, std::function<void(size_t)> open, QWidget* parent);
    // The list was replaced, or moved to another entry.
    void Refresh(bool replaced);
    QListView* listView() const { return view_; }

private:
    const Playlist& list_;
    PlaylistModel* model_;
    QListView* view_;
};

}  // namespace plexo
