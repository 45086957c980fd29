// A tree view made into a report-style list over a core list model: one level of rows, whole
// rows selected, several at a time, nothing edited in place, and the model's columns with their
// headings, alignments and widths (wide enough for the longest text each holds); a cell whose
// text is cut shows it whole as its tooltip.
#pragma once

class QItemSelectionModel;
class QTreeView;

namespace fenwick {

class ListViewModel;

// `selection` must work on `model`; the view uses it from now on, so that the core sees every
// selection change the user makes.
void ShowAsReportList(QTreeView& view, ListViewModel& model, QItemSelectionModel& selection);

} // namespace fenwick
