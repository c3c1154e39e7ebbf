#pragma once

#include "core/events/Signal.h"
#include "core/playlist/PlaylistWindowSurface.h"

#include <QWidget>

class QPlainTextEdit;
class QTableView;

namespace vistrel {

class PlayMover;
class PlaylistTableModel;
class PlaylistWindow;

// The play list window: the table of entries, below it the information text of the
// clicked entry with the divider handle between the two, and a row of buttons for
// the window's commands. Closing it only hides it; the list lives on in the store.
class PlaylistWindowView : public QWidget, public PlaylistWindowSurface {
    Q_OBJECT
  public:
    explicit PlaylistWindowView(PlaylistWindow& window, QWidget* parent = nullptr);
    ~PlaylistWindowView() override;

    QTableView* table() const { return m_table; }
    PlaylistTableModel* model() const { return m_model; }
    QPlainTextEdit* text() const { return m_text; }
    PlayMover* playMover() const { return m_playMover; }

    // PlaylistWindowSurface
    void selectRow(std::size_t row) override;
    void scrollRowToVisible(std::size_t row) override;
    void setInfoText(const std::string& text) override;
    void setAlphaValue(float alpha) override;

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildTable();
    QWidget* buildButtons();
    void followSortOrder(int column, Qt::SortOrder order);
    void writeSelection();

    PlaylistWindow& m_window;
    QWidget* m_panes = nullptr;
    QTableView* m_table = nullptr;
    PlaylistTableModel* m_model = nullptr;
    QPlainTextEdit* m_text = nullptr;
    PlayMover* m_playMover = nullptr;
};

} // namespace vistrel
