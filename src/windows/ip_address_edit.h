// The IP address control of every dialog that takes an address: four octet fields in one frame
// that looks like a line edit, typed as on the Windows control (digits only, 0 to 255 each; the
// dot key and a full octet move on; Backspace at a field's start moves back; a pasted dotted
// address fills all four fields) and read as one address in which blank fields count as 0.
// The four fields are one tab stop: Tab and Shift+Tab leave the control, and Tab into it lands
// in the first field.
//
// In a Designer form, promote a QWidget to `fenwick::IpAddressEdit` with the header
// "windows/ip_address_edit.h" (not global) and give it its label as accessibleName, like every
// other control: the octet fields take their names from it before the control is first shown.
#pragma once

#include <QWidget>
#include <array>
#include <cstdint>

class QKeyEvent;
class QLineEdit;

namespace fenwick {

class IpAddressEdit final : public QWidget {
    Q_OBJECT

public:
    static constexpr int kOctets = 4;

    explicit IpAddressEdit(QWidget* parent = nullptr);

    // Names the control `label` and its fields "<label> octet 1" to "<label> octet 4".
    void SetLabel(const QString& label);

    // Host order, the first field the most significant byte; a blank field reads as 0.
    std::uint32_t Address() const;
    // Fills all four fields; a zero octet shows as "0", so 0.0.0.0 is not blank.
    void SetAddress(std::uint32_t address);
    // All four fields empty, as the control starts and after Clear. It still reads 0.0.0.0.
    bool IsBlank() const;
    void Clear();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Where the cursor goes in a field that focus moves to.
    enum class Entry { SelectAll, AtStart, AtEnd };

    // The field `watched` is, or -1.
    int FieldIndex(const QObject* watched) const;
    // True when the key was used up here.
    bool HandleKey(int index, const QKeyEvent& key);
    void OnFieldEdited(int index);
    void Paste(int index);
    void ShowContextMenu(int index, const QPoint& globalPos);
    void MoveTo(int index, Entry entry);
    void NameFields(const QString& label);
    QSize HintFor(int digitsPerField) const;

    std::array<QLineEdit*, kOctets> fields_{};
    // The label the fields are named after; the control's accessibleName may be set apart from it
    // by a form, and is taken up when the control is polished.
    QString fieldsNamedAfter_;
};

} // namespace fenwick
