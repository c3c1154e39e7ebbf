#include "app/MultiPickFileDialog.h"

#include <QFileSystemModel>
#include <QListView>
#include <QTreeView>
#include <algorithm>

namespace vistrel {

MultiPickFileDialog::MultiPickFileDialog(QWidget* parent) : QFileDialog(parent) {
    setOption(QFileDialog::DontUseNativeDialog, true);
    setFileMode(QFileDialog::ExistingFiles);
    setAcceptMode(QFileDialog::AcceptOpen);
    setWindowTitle(tr("Open"));
}

QAbstractItemView* MultiPickFileDialog::currentView() const {
    if (viewMode() == QFileDialog::Detail)
        return findChild<QTreeView*>(QStringLiteral("treeView"));
    return findChild<QListView*>(QStringLiteral("listView"));
}

QStringList MultiPickFileDialog::selectedPathsInView() const {
    const QAbstractItemView* view = currentView();
    if (!view || !view->selectionModel())
        return {};
    QModelIndexList rows = view->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QStringList paths;
    for (const QModelIndex& row : rows)
        paths.append(row.data(QFileSystemModel::FilePathRole).toString());
    return paths;
}

// A selection in the view wins, folders included. Without one (a name typed into
// the file name field), the dialog's own handling applies: it enters a typed folder
// and accepts typed files.
void MultiPickFileDialog::accept() {
    const QStringList picked = selectedPathsInView();
    if (picked.isEmpty()) {
        QFileDialog::accept();
        if (result() == QDialog::Accepted)
            m_chosen = selectedFiles();
        return;
    }
    m_chosen = picked;
    QDialog::accept();
}

} // namespace vistrel
