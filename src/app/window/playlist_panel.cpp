#include "app/window/playlist_panel.h"

#include <QFileInfo>
#include <QListView>

#include "doc/playlist.h"

namespace plexo {

int PlaylistModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(list_.size());
}

QVariant PlaylistModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || size_t(index.row()) >= list_.size())
        return {};
    const PlaylistEntry& entry = list_.entries()[size_t(index.row())];
    const QString path = QString::fromStdString(entry.path);
    if (role == Qt::DisplayRole)
        return entry.title.empty() ? QFileInfo(path).fileName() : QString::fromStdString(entry.title);
    if (role == Qt::ToolTipRole)
        return path;
    return {};
}

void PlaylistModel::Reset()
{
    beginResetModel();
    endResetModel();
}

PlaylistPanel::PlaylistPanel(const Playlist& list, std::function<void(size_t)> open, QWidget* parent)
    : QDockWidget(QStringLiteral("Playlist"), parent), list_(list)
{
    setObjectName(QStringLiteral("playlist"));
    model_ = new PlaylistModel(list, this);
    view_ = new QListView(this);
    view_->setModel(model_);
    view_->setUniformItemSizes(true);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    setWidget(view_);
    // Double click, or Enter on the entry chosen with the arrows.
    connect(view_, &QListView::activated, this, [open = std::move(open)](const QModelIndex& index) {
        if (index.isValid())
            open(size_t(index.row()));
    });
}

void PlaylistPanel::Refresh(bool replaced)
{
    if (replaced)
        model_->Reset();
    if (const std::optional<size_t> current = list_.current()) {
        const QModelIndex index = model_->index(int(*current));
        view_->setCurrentIndex(index);
        view_->scrollTo(index);
    }
}

}  // namespace plexo
