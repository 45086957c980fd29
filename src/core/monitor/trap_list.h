// The trap window's list: a snapshot of the TrapTable taken when the window opens, the click
// that marks a trap seen, "Clear all", and the column sorting with its own direction flag,
// which lasts for the program's run across openings of the window.
#pragma once

#include "core/lists/list_selection.h"
#include "core/lists/list_view_model.h"
#include "core/state/program_state.h"

#include <QObject>
#include <optional>
#include <vector>

namespace fenwick {

class TrapList final : public QObject {
    Q_OBJECT

public:
    enum Column { kColumnImage, kColumnTime, kColumnIp, kColumnEvent, kColumnBlank };

    explicit TrapList(ProgramState& state, QObject* parent = nullptr);

    static std::vector<ListViewModel::Column> TrapColumns();

    ListViewModel& Model() { return model_; }
    ListSelection& Selection() { return selection_; }

    // Lists the stored traps from slot 0 up to the first with an empty EventText, each row
    // keyed by its slot. Later traps appear only when the list is filled again.
    void Fill();
    // A click in the list: the trap of the first selected row is marked seen, and its row, shown
    // again without image, stays selected. Nothing happens when no row is selected.
    void Click();
    // "Clear all": no rows, no stored traps, TrapCount 0.
    void ClearAll();
    // A click on a column header: flips TrapSortAscending (so the first click sorts descending),
    // then sorts by the image (column 0) or the text (1 to 3); column 4 sorts nothing.
    void SortByColumn(int column);

    // Starts at 1 and is flipped before each sort.
    int TrapSortAscending = 1;
    int TrapSortColumn = kColumnImage;

private:
    // The slot that holds the trap a row shows, or -1. Traps stored while the window is open can
    // slide the table, so the slot is checked against the row's texts.
    std::optional<int> SlotOfRow(int row) const;

    ProgramState& state_;
    ListViewModel model_;
    ListSelection selection_;
};

} // namespace fenwick
