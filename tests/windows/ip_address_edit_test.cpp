// The IP address control in a Designer form: keys in its octet fields, paste, the one tab stop,
// blank fields, its names and its look of one line edit.
#include "codec/text_forms.h"
#include "ui_ip_address_form.h"
#include "window_rig.h"
#include "windows/dialog_units.h"
#include "windows/ip_address_edit.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialog>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <utility>

namespace fenwick::testing {

namespace {

// The form: "Before", the control labelled "Gateway" and "After", created in another order than
// their tab order, placed in dialog units as the dialogs are.
class Form {
public:
    Form() {
        ui.setupUi(&window);
        DialogUnits(QFontMetrics(window.font(), &window)).Lay(*ui.client);
        window.show();
        window.activateWindow();
    }

    // The window must be active for the focus to move.
    bool Ready() { return QTest::qWaitForWindowActive(&window); }

    QLineEdit* Field(int octet) const {
        return FindControl<QLineEdit>(window, QStringLiteral("Gateway octet %1").arg(octet));
    }

    // The four fields' texts joined by dots, so that blank fields show.
    QString Fields() const {
        QStringList texts;
        for (int octet = 1; octet <= IpAddressEdit::kOctets; ++octet) {
            const QLineEdit* field = Field(octet);
            texts << (field != nullptr ? field->text() : QStringLiteral("?"));
        }
        return texts.join(QLatin1Char('.'));
    }

    // Sets the fields from dotted text, blank parts left blank.
    void Fill(const QString& dotted) const {
        const QStringList parts = dotted.split(QLatin1Char('.'));
        for (int octet = 1; octet <= IpAddressEdit::kOctets && octet <= parts.size(); ++octet) {
            Field(octet)->setText(parts[octet - 1]);
        }
    }

    QWidget window;
    Ui::IpAddressForm ui;
};

QString FocusName() {
    const QWidget* focused = QApplication::focusWidget();
    return focused != nullptr ? focused->accessibleName() : QStringLiteral("nothing");
}

// Types `keys` into whatever has the focus: characters as typed, and <BS>, <Left>, <Right>,
// <Tab>, <BackTab> as those keys.
void Press(const QString& keys) {
    static const QMap<QString, std::pair<Qt::Key, Qt::KeyboardModifiers>> kNamed{
        {QStringLiteral("BS"), {Qt::Key_Backspace, Qt::NoModifier}},
        {QStringLiteral("Left"), {Qt::Key_Left, Qt::NoModifier}},
        {QStringLiteral("Right"), {Qt::Key_Right, Qt::NoModifier}},
        {QStringLiteral("Tab"), {Qt::Key_Tab, Qt::NoModifier}},
        {QStringLiteral("BackTab"), {Qt::Key_Backtab, Qt::ShiftModifier}},
    };
    for (qsizetype at = 0; at < keys.size(); ++at) {
        QWidget* target = QApplication::focusWidget();
        if (target == nullptr) {
            return;
        }
        if (keys[at] == QLatin1Char('<')) {
            const qsizetype close = keys.indexOf(QLatin1Char('>'), at);
            const auto [key, modifiers] = kNamed.value(keys.mid(at + 1, close - at - 1));
            QTest::keyClick(target, key, modifiers);
            at = close;
        } else {
            QTest::keyClick(target, keys[at].toLatin1());
        }
    }
}

} // namespace

class IpAddressEditTest final : public QObject {
    Q_OBJECT

private slots:
    void typing_data();
    void typing();
    void pasting_data();
    void pasting();
    void blankFieldsReadAsZero();
    void aFieldSetAroundItsChecksReadsOneOctet();
    void setAddressShowsEveryOctet_data();
    void setAddressShowsEveryOctet();
    void namesFollowTheLabel();
    void enterReachesTheDefaultButton();
    void looksLikeOneLineEdit();
};

void IpAddressEditTest::typing_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("focusFirst");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("fields");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("focus");
    const auto row = [](const char* name, const char* start, const char* focusFirst,
                        const char* keys, const char* fields, const char* address,
                        const char* focus) {
        QTest::newRow(name) << start << focusFirst << keys << fields << address << focus;
    };
    const char* o1 = "Gateway octet 1";
    const char* o2 = "Gateway octet 2";
    const char* o3 = "Gateway octet 3";
    const char* o4 = "Gateway octet 4";

    // name, start, focus first, keys, fields after, address read, focus after
    row("dots move on", "...", o1, "10.77.1.5", "10.77.1.5", "10.77.1.5", o4);
    row("a full octet moves on, the dot after it is spent", "...", o1, "192.168.1.254",
        "192.168.1.254", "192.168.1.254", o4);
    row("leading zeros are decimal", "...", o1, "010008009001", "010.008.009.001", "10.8.9.1", o4);
    row("a dot in an empty field does nothing", "...", o1, ".1..2", "1.2..", "1.2.0.0", o2);
    row("only digits go in", "...", o1, "a1-b2 /", "12...", "12.0.0.0", o1);
    row("above 255 becomes 255 and moves on", "...", o1, "256", "255...", "255.0.0.0", o2);
    row("the last field clamps and keeps the focus", "...", o4, "999", "...255", "0.0.0.255", o4);
    row("a dot in the last field is not typed", "...", o4, "1.2", "...12", "0.0.0.12", o4);
    row("typing replaces a field the dot moved to", "1.2.3.4", o1, "<BS>9.7", "9.7.3.4", "9.7.3.4",
        o2);
    row("Backspace at a field's start goes to the previous field's end", "...", o1,
        "10.7<BS><BS><BS>3", "13...", "13.0.0.0", o1);
    row("Left at a field's start goes to the previous field's end", "...", o1,
        "12.34<Left><Left><Left>5", "125.34..", "125.34.0.0", o2);
    row("Right at a field's end goes to the next field's start", "1.2.3.4", o2, "<Right>5",
        "1.2.53.4", "1.2.53.4", o3);
    row("Left stops in the first field", "1.2.3.4", o1, "<Left><Left>5", "51.2.3.4", "51.2.3.4",
        o1);
    row("Right stops in the last field", "1.2.3.4", o4, "<Right>5", "1.2.3.45", "1.2.3.45", o4);
    row("Tab leaves from any field", "...", o2, "5<Tab>", ".5..", "0.5.0.0", "After");
    row("Shift+Tab leaves from any field", "...", o3, "<BackTab>", "...", "0.0.0.0", "Before");
    row("Tab comes in at the first field", "...", "Before", "<Tab>", "...", "0.0.0.0", o1);
    row("Shift+Tab comes in at the first field", "...", "After", "<BackTab>", "...", "0.0.0.0", o1);
    row("the four fields are one tab stop", "...", "Before", "<Tab>1<Tab>", "1...", "1.0.0.0",
        "After");
}

void IpAddressEditTest::typing() {
    QFETCH(QString, start);
    QFETCH(QString, focusFirst);
    QFETCH(QString, keys);
    QFETCH(QString, fields);
    QFETCH(QString, address);
    QFETCH(QString, focus);

    Form form;
    QVERIFY(form.Ready());
    form.Fill(start);
    QWidget* first = FindControl<QWidget>(form.window, focusFirst);
    QVERIFY(first != nullptr);
    first->setFocus(Qt::OtherFocusReason);
    Press(keys);

    QCOMPARE(form.Fields(), fields);
    QCOMPARE(QString::fromStdString(AddressText(form.ui.address->Address())), address);
    QCOMPARE(FocusName(), focus);
}

void IpAddressEditTest::pasting_data() {
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("into");
    QTest::addColumn<QString>("way");
    QTest::addColumn<QString>("fields");
    QTest::addColumn<QString>("focus");
    const auto row = [](const QString& name, const char* clipboard, const char* start, int into,
                        const char* way, const char* fields, const char* focus) {
        QTest::newRow(qPrintable(name)) << clipboard << start << into << way << fields << focus;
    };
    const char* o4 = "Gateway octet 4";

    // name, clipboard, start, field pasted into, how, fields after, focus after
    row(QStringLiteral("an address fills all four"), "10.77.1.5", "...", 2, "Ctrl+V", "10.77.1.5",
        o4);
    row(QStringLiteral("over what stands"), "10.77.1.5", "1.2.3.4", 1, "Ctrl+V", "10.77.1.5", o4);
    row(QStringLiteral("blanks around it"), "  10.77.1.5\n", "...", 3, "Ctrl+V", "10.77.1.5", o4);
    row(QStringLiteral("leading zeros"), "010.077.001.005", "...", 1, "Ctrl+V", "10.77.1.5", o4);
    row(QStringLiteral("Shift+Insert"), "10.77.1.5", "...", 4, "Shift+Insert", "10.77.1.5", o4);
    row(QStringLiteral("from the context menu"), "10.77.1.5", "...", 2, "menu", "10.77.1.5", o4);
    for (const char* garbage : {"10.77.1", "10.77.1.256", "10.77.1.5.6", "10.77..5", "a.b.c.d",
                                "10. 77.1.5", "", "1234"}) {
        row(QStringLiteral("garbage \"%1\"").arg(QLatin1String(garbage)), garbage, "1.2.3.4", 2,
            "Ctrl+V", "1.2.3.4", "Gateway octet 2");
    }
    row(QStringLiteral("digits go in as typed"), "12", "...", 2, "Ctrl+V", ".12..",
        "Gateway octet 2");
    row(QStringLiteral("digits above 255 are clamped"), "300", "...", 1, "Ctrl+V", "255...",
        "Gateway octet 2");
}

void IpAddressEditTest::pasting() {
    QFETCH(QString, clipboard);
    QFETCH(QString, start);
    QFETCH(int, into);
    QFETCH(QString, way);
    QFETCH(QString, fields);
    QFETCH(QString, focus);

    Form form;
    QVERIFY(form.Ready());
    form.Fill(start);
    QLineEdit* field = form.Field(into);
    QVERIFY(field != nullptr);
    field->setFocus(Qt::OtherFocusReason);
    QGuiApplication::clipboard()->setText(clipboard);
    if (way == QLatin1String("Ctrl+V")) {
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    } else if (way == QLatin1String("Shift+Insert")) {
        QTest::keyClick(field, Qt::Key_Insert, Qt::ShiftModifier);
    } else {
        QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint(1, 1),
                                  field->mapToGlobal(QPoint(1, 1)));
        QApplication::sendEvent(field, &request);
        QMenu* menu = field->findChild<QMenu*>();
        QVERIFY(menu != nullptr);
        QAction* paste = nullptr;
        for (QAction* item : menu->actions()) {
            if (item->text().startsWith(QLineEdit::tr("&Paste"))) {
                paste = item;
            }
        }
        QVERIFY(paste != nullptr);
        paste->trigger();
        menu->close();
    }

    QCOMPARE(form.Fields(), fields);
    QCOMPARE(FocusName(), focus);
}

void IpAddressEditTest::blankFieldsReadAsZero() {
    Form form;
    IpAddressEdit& address = *form.ui.address;
    QVERIFY(address.IsBlank());
    QCOMPARE(address.Address(), 0U);

    address.SetAddress(0);
    QVERIFY(!address.IsBlank());
    QCOMPARE(form.Fields(), QStringLiteral("0.0.0.0"));

    form.Fill(QStringLiteral("..5."));
    QVERIFY(!address.IsBlank());
    QCOMPARE(address.Address(), 0x00000500U);

    address.Clear();
    QVERIFY(address.IsBlank());
    QCOMPARE(form.Fields(), QStringLiteral("..."));
    QCOMPARE(address.Address(), 0U);
}

void IpAddressEditTest::aFieldSetAroundItsChecksReadsOneOctet() {
    Form form;
    form.Fill(QStringLiteral("1.9999.x.4"));
    QCOMPARE(form.ui.address->Address(), 0x01FF0004U);
}

void IpAddressEditTest::setAddressShowsEveryOctet_data() {
    QTest::addColumn<quint32>("address");
    QTest::addColumn<QString>("fields");
    QTest::newRow("10.77.1.5") << quint32{0x0A4D0105} << "10.77.1.5";
    QTest::newRow("192.168.0.1") << quint32{0xC0A80001} << "192.168.0.1";
    QTest::newRow("zero") << quint32{0} << "0.0.0.0";
    QTest::newRow("all ones") << quint32{0xFFFFFFFF} << "255.255.255.255";
}

void IpAddressEditTest::setAddressShowsEveryOctet() {
    QFETCH(quint32, address);
    QFETCH(QString, fields);

    Form form;
    form.Fill(QStringLiteral("9.9.9.9"));
    form.ui.address->SetAddress(address);
    QCOMPARE(form.Fields(), fields);
    QCOMPARE(form.ui.address->Address(), address);
}

void IpAddressEditTest::namesFollowTheLabel() {
    // From the form's accessibleName, once shown.
    Form form;
    QCOMPARE(FindControl<QWidget>(form.window, QStringLiteral("Gateway")), form.ui.address);
    for (int octet = 1; octet <= IpAddressEdit::kOctets; ++octet) {
        QVERIFY(form.Field(octet) != nullptr);
    }

    // From SetLabel, without being shown.
    IpAddressEdit edit;
    edit.SetLabel(QStringLiteral("Set trap to"));
    QCOMPARE(edit.accessibleName(), QStringLiteral("Set trap to"));
    QStringList names;
    for (const QLineEdit* field : edit.findChildren<QLineEdit*>()) {
        names << field->accessibleName();
    }
    QCOMPARE(names, (QStringList{QStringLiteral("Set trap to octet 1"),
                                 QStringLiteral("Set trap to octet 2"),
                                 QStringLiteral("Set trap to octet 3"),
                                 QStringLiteral("Set trap to octet 4")}));
}

// The "Remote IP" dialog's "Apply" is its default button: Enter in a field must reach it.
void IpAddressEditTest::enterReachesTheDefaultButton() {
    QDialog dialog;
    auto* address = new IpAddressEdit(&dialog);
    address->SetLabel(QStringLiteral("IP Address"));
    auto* apply = new QPushButton(QStringLiteral("Apply"), &dialog);
    apply->setDefault(true);
    connect(apply, &QPushButton::clicked, &dialog, &QDialog::accept);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QLineEdit* field = FindControl<QLineEdit>(dialog, QStringLiteral("IP Address octet 3"));
    QVERIFY(field != nullptr);
    field->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
}

void IpAddressEditTest::looksLikeOneLineEdit() {
    Form form;
    QVERIFY(form.Ready());
    const IpAddressEdit& address = *form.ui.address;

    QLineEdit lineEdit;
    lineEdit.setFont(address.font());
    QCOMPARE(address.sizeHint().height(), lineEdit.sizeHint().height());
    QCOMPARE(address.sizePolicy().verticalPolicy(), QSizePolicy::Fixed);

    // Placed by the form, it keeps its place; its fields share it left to right, each wide
    // enough for three digits.
    const DialogUnits units(QFontMetrics(form.window.font(), &form.window));
    QCOMPARE(address.geometry(), units.ToPixels(QRect(56, 24, 90, 12)));
    const int digits = address.fontMetrics().horizontalAdvance(QStringLiteral("255"));
    int left = 0;
    for (int octet = 1; octet <= IpAddressEdit::kOctets; ++octet) {
        const QRect field = form.Field(octet)->geometry();
        QVERIFY(address.rect().contains(field));
        QVERIFY(field.left() > left);
        QVERIFY(field.width() > digits);
        QVERIFY(std::abs(field.width() - form.Field(1)->width()) <= 1);
        QVERIFY(!form.Field(octet)->hasFrame());
        left = field.right();
    }
}

} // namespace fenwick::testing

int RunIpAddressEditTests(int argc, char** argv) {
    fenwick::testing::IpAddressEditTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ip_address_edit_test.moc"
