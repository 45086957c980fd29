#include "ip_address_edit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QStyleOptionFrame>
#include <algorithm>
#include <optional>

namespace fenwick {

namespace {

constexpr int kMaxDigits = 3;
constexpr int kMaxOctet = 255;
// Room beside the digits in each field, as a line edit keeps beside its text.
constexpr int kFieldMargin = 3;
// A line edit's height is its font's plus this, before the frame.
constexpr int kLineEditVerticalMargin = 2;

// "a.b.c.d" with 1 to 3 decimal digits and at most 255 in each part, blanks around it allowed;
// leading zeros are decimal, not octal.
std::optional<std::uint32_t> ParseDotted(const QString& text) {
    const QStringList parts = text.trimmed().split(QLatin1Char('.'));
    if (parts.size() != IpAddressEdit::kOctets) {
        return std::nullopt;
    }
    std::uint32_t address = 0;
    for (const QString& part : parts) {
        if (part.isEmpty() || part.size() > kMaxDigits) {
            return std::nullopt;
        }
        std::uint32_t octet = 0;
        for (const QChar digit : part) {
            if (digit < QLatin1Char('0') || digit > QLatin1Char('9')) {
                return std::nullopt;
            }
            octet = octet * 10 + static_cast<std::uint32_t>(digit.unicode() - u'0');
        }
        if (octet > kMaxOctet) {
            return std::nullopt;
        }
        address = address << 8 | octet;
    }
    return address;
}

// The frame of a line edit around the whole control, showing focus when a field has it.
QStyleOptionFrame LineEditFrame(const QWidget& control, bool focused) {
    QStyleOptionFrame option;
    option.initFrom(&control);
    option.lineWidth =
        control.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &control);
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    if (focused) {
        option.state |= QStyle::State_HasFocus;
    }
    return option;
}

} // namespace

IpAddressEdit::IpAddressEdit(QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setSpacing(0);
    for (int index = 0; index < kOctets; ++index) {
        if (index > 0) {
            auto* dot = new QLabel(QStringLiteral("."), this);
            dot->setForegroundRole(QPalette::Text);
            dot->setAlignment(Qt::AlignCenter);
            row->addWidget(dot);
        }
        auto* field = new QLineEdit(this);
        field->setFrame(false);
        field->setAlignment(Qt::AlignCenter);
        field->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[0-9]{0,3}")), field));
        field->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        // One tab stop: Tab comes in by the first field, and the other fields are clicked into
        // or reached by typing.
        field->setFocusPolicy(index == 0 ? Qt::StrongFocus : Qt::ClickFocus);
        field->installEventFilter(this);
        connect(field, &QLineEdit::textEdited, this, [this, index] { OnFieldEdited(index); });
        row->addWidget(field, 1);
        fields_[static_cast<std::size_t>(index)] = field;
    }
    setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(fields_.front());
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void IpAddressEdit::SetLabel(const QString& label) {
    setAccessibleName(label);
    NameFields(label);
}

void IpAddressEdit::NameFields(const QString& label) {
    for (int index = 0; index < kOctets; ++index) {
        fields_[static_cast<std::size_t>(index)]->setAccessibleName(
            QStringLiteral("%1 octet %2").arg(label).arg(index + 1));
    }
    fieldsNamedAfter_ = label;
}

std::uint32_t IpAddressEdit::Address() const {
    std::uint32_t address = 0;
    for (const QLineEdit* field : fields_) {
        // A blank field gives 0. Text set around the field's checks (setText, as accessibility
        // tools do) is held to one octet, so it cannot spill into its neighbour.
        address = address << 8 | std::min(field->text().toUInt(), std::uint32_t{kMaxOctet});
    }
    return address;
}

void IpAddressEdit::SetAddress(std::uint32_t address) {
    for (int index = 0; index < kOctets; ++index) {
        const int shift = 8 * (kOctets - 1 - index);
        fields_[static_cast<std::size_t>(index)]->setText(
            QString::number(address >> shift & 0xFFU));
    }
}

bool IpAddressEdit::IsBlank() const {
    for (const QLineEdit* field : fields_) {
        if (!field->text().isEmpty()) {
            return false;
        }
    }
    return true;
}

void IpAddressEdit::Clear() {
    for (QLineEdit* field : fields_) {
        field->clear();
    }
}

QSize IpAddressEdit::HintFor(int digitsPerField) const {
    const QFontMetrics metrics = fontMetrics();
    const int field =
        metrics.horizontalAdvance(QString(digitsPerField, QLatin1Char('0'))) + 2 * kFieldMargin;
    const int dot = metrics.horizontalAdvance(QLatin1Char('.'));
    const QSize contents(kOctets * field + (kOctets - 1) * dot,
                         std::max(metrics.height(), 14) + kLineEditVerticalMargin);
    const QStyleOptionFrame option = LineEditFrame(*this, false);
    return style()->sizeFromContents(QStyle::CT_LineEdit, &option, contents, this);
}

QSize IpAddressEdit::sizeHint() const {
    ensurePolished();
    return HintFor(kMaxDigits + 1);
}

QSize IpAddressEdit::minimumSizeHint() const {
    ensurePolished();
    return HintFor(kMaxDigits);
}

bool IpAddressEdit::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::Polish:
        // A form sets the accessible name after construction; the fields follow it here.
        if (accessibleName() != fieldsNamedAfter_) {
            NameFields(accessibleName());
        }
        [[fallthrough]];
    case QEvent::StyleChange: {
        const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
        layout()->setContentsMargins(frame, frame, frame, frame);
        break;
    }
    default:
        break;
    }
    return QWidget::event(event);
}

int IpAddressEdit::FieldIndex(const QObject* watched) const {
    for (int index = 0; index < kOctets; ++index) {
        if (fields_[static_cast<std::size_t>(index)] == watched) {
            return index;
        }
    }
    return -1;
}

bool IpAddressEdit::eventFilter(QObject* watched, QEvent* event) {
    const int index = FieldIndex(watched);
    if (index >= 0) {
        switch (event->type()) {
        case QEvent::KeyPress:
            if (HandleKey(index, static_cast<const QKeyEvent&>(*event))) {
                return true;
            }
            break;
        case QEvent::ContextMenu:
            ShowContextMenu(index, static_cast<const QContextMenuEvent&>(*event).globalPos());
            return true;
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            update(); // the frame shows the focus of any field
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool IpAddressEdit::HandleKey(int index, const QKeyEvent& key) {
    if (key.matches(QKeySequence::Paste)) {
        Paste(index);
        return true;
    }
    if ((key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        return false;
    }
    const QLineEdit& field = *fields_[static_cast<std::size_t>(index)];
    const bool noSelection = !field.hasSelectedText();
    const bool atStart = noSelection && field.cursorPosition() == 0;
    const bool atEnd = noSelection && field.cursorPosition() == field.text().size();
    switch (key.key()) {
    case Qt::Key_Period:
        // The dot is never typed into a field; it ends a field that holds something.
        if (!field.text().isEmpty()) {
            MoveTo(index + 1, Entry::SelectAll);
        }
        return true;
    case Qt::Key_Backspace:
    case Qt::Key_Left:
        if (atStart && index > 0) {
            MoveTo(index - 1, Entry::AtEnd);
            return true;
        }
        return false;
    case Qt::Key_Right:
        if (atEnd && index < kOctets - 1) {
            MoveTo(index + 1, Entry::AtStart);
            return true;
        }
        return false;
    default:
        return false;
    }
}

void IpAddressEdit::OnFieldEdited(int index) {
    QLineEdit& field = *fields_[static_cast<std::size_t>(index)];
    // The Windows control answers a value above 255 with a message box and then shows 255;
    // here it becomes 255 without the box, so typing goes on and no box waits to be closed.
    if (field.text().toInt() > kMaxOctet) {
        field.setText(QString::number(kMaxOctet));
    }
    if (field.text().size() == kMaxDigits && field.cursorPosition() == kMaxDigits) {
        MoveTo(index + 1, Entry::SelectAll);
    }
}

void IpAddressEdit::Paste(int index) {
    if (const std::optional<std::uint32_t> address =
            ParseDotted(QGuiApplication::clipboard()->text())) {
        SetAddress(*address);
        MoveTo(kOctets - 1, Entry::AtEnd);
        return;
    }
    // Digits go in as if typed; the field refuses anything else.
    fields_[static_cast<std::size_t>(index)]->paste();
}

void IpAddressEdit::ShowContextMenu(int index, const QPoint& globalPos) {
    QLineEdit& field = *fields_[static_cast<std::size_t>(index)];
    QMenu* menu = field.createStandardContextMenu(); // owned by the field, deleted on close
    // The field's own "Paste" item, known by the field's own text for it (before the shortcut),
    // pastes as Ctrl+V does here.
    for (QAction* item : menu->actions()) {
        if (item->text().section(QLatin1Char('\t'), 0, 0) == QLineEdit::tr("&Paste")) {
            disconnect(item, &QAction::triggered, nullptr, nullptr);
            connect(item, &QAction::triggered, this, [this, index] { Paste(index); });
        }
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPos);
}

void IpAddressEdit::MoveTo(int index, Entry entry) {
    if (index < 0 || index >= kOctets) {
        return;
    }
    QLineEdit& field = *fields_[static_cast<std::size_t>(index)];
    field.setFocus(Qt::OtherFocusReason);
    switch (entry) {
    case Entry::SelectAll:
        field.selectAll();
        break;
    case Entry::AtStart:
        field.setCursorPosition(0);
        break;
    case Entry::AtEnd:
        field.setCursorPosition(static_cast<int>(field.text().size()));
        break;
    }
}

bool IpAddressEdit::focusNextPrevChild(bool next) {
    // The fields are one tab stop: Tab leaves from the last field and Shift+Tab from the first,
    // whichever field has the focus.
    QLineEdit* edge = next ? fields_.back() : fields_.front();
    if (QWidget* focused = QApplication::focusWidget(); focused != edge && isAncestorOf(focused)) {
        edge->setFocus(Qt::OtherFocusReason);
    }
    return QWidget::focusNextPrevChild(next);
}

void IpAddressEdit::paintEvent(QPaintEvent* /*event*/) {
    bool focused = false;
    for (const QLineEdit* field : fields_) {
        focused = focused || field->hasFocus();
    }
    QPainter painter(this);
    const QStyleOptionFrame option = LineEditFrame(*this, focused);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
}

} // namespace fenwick
