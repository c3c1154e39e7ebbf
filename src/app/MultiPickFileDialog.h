#pragma once

#include <QFileDialog>
#include <QStringList>

class QAbstractItemView;

namespace vistrel {

// An open dialog in which several files and folders can be chosen at once. It is
// Qt's own (non-native) dialog in ExistingFiles mode: double-clicking a folder still
// enters it, but accepting with folders selected chooses them instead of entering.
class MultiPickFileDialog : public QFileDialog {
    Q_OBJECT
  public:
    explicit MultiPickFileDialog(QWidget* parent = nullptr);

    // What the user chose, in the order the dialog lists it; empty until accepted.
    QStringList chosenPaths() const { return m_chosen; }

    // The list or detail view currently showing the folder's contents.
    QAbstractItemView* currentView() const;

    void accept() override;

  private:
    QStringList selectedPathsInView() const;

    QStringList m_chosen;
};

} // namespace vistrel
