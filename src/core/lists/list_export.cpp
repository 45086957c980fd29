#include "list_export.h"

#include "codec/device_record.h"
#include "core/lists/csv_text.h"
#include "core/lists/list_texts.h"
#include "core/support/whole_file_save.h"

#include <functional>

namespace fenwick {
namespace {

using CellText = std::function<QString(const ListViewModel&, int row, int column)>;

QString ShownText(const ListViewModel& list, int row, int column) {
    return list.Text(row, column);
}

// The status column shows an image and no text: its meaning is written instead.
QString MonitorCellText(const ListViewModel& list, int row, int column) {
    return column == 0 ? MonitorStatusText(list.Image(row)) : list.Text(row, column);
}

QString Section(const QString& title, const ListViewModel& list, const CellText& cell) {
    QString text = CsvRecord({title});
    QStringList headings;
    for (const ListViewModel::Column& column : list.Columns()) {
        headings << column.heading;
    }
    text += CsvRecord(headings);
    const int columns = static_cast<int>(list.Columns().size());
    for (int row = 0; row < list.RowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < columns; ++column) {
            cells << cell(list, row, column);
        }
        text += CsvRecord(cells);
    }
    return text;
}

} // namespace

QString MonitorStatusText(int image) {
    switch (image) {
    case kStatusImageNone:
        return texts::kStatusAlive;
    case kStatusImageNotAlive:
        return texts::kStatusNotAlive;
    default:
        return texts::kStatusUnknown;
    }
}

QByteArray ListsCsv(const ListViewModel& discovery, const ListViewModel& monitor) {
    return kUtf8ByteOrderMark +
           (Section(texts::kDiscoveryListTitle, discovery, ShownText) + QStringLiteral("\r\n") +
            Section(texts::kMonitorListTitle, monitor, MonitorCellText))
               .toUtf8();
}

ListExport::ListExport(UserPrompts& prompts, MainLists& lists) : prompts_(prompts), lists_(lists) {}

void ListExport::ExportLists() {
    const QString path = prompts_.SaveFileName(texts::kListsFileFilter, texts::kProposedListsName);
    if (path.isEmpty()) {
        return;
    }
    // The lists as they stand when the dialog closed; a failure has been told.
    [[maybe_unused]] const bool saved = SaveWholeFile(
        path, ListsCsv(lists_.discovery, lists_.monitor), prompts_, texts::kListsFileUnwritable);
}

} // namespace fenwick
