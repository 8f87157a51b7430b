#pragma once
// What the files of the main window share: the tab positions, the deathmatch flag boxes' captions and
// places, the text conversions and the makers of its controls.

#include "ProgramFont.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace trel::mainwindow {

inline constexpr int kTabGeneral = 0;
inline constexpr int kTabServerOptions = 1;
inline constexpr int kTabServerAdmin = 2;

// The largest flag does not fit a control index, so its box carries 32767 while it adds 32768.
inline constexpr std::int32_t kFixedFovFlag = 32768;
inline constexpr int kFixedFovIndex = 32767;

inline constexpr std::array<const char*, 16> kDmFlagCaptions = {
    "No Health",     "No Powerups",    "Weapons Stay",     "No Fall Damage", "Instant Powerups", "Same Level",
    "Teams by Skin", "Teams by Model", "No Friendly Fire", "Spawn Farthest", "Force Respawn",    "No Armor",
    "Allow Exit",    "Infinite Ammo",  "Quad Drop",        "Fixed FOV"};

// Where the flag boxes stand in their frame: three columns of up to six rows.
inline constexpr std::array<int, 3> kDmColumnX = {8, 128, 256};
inline constexpr std::array<int, 3> kDmColumnWidth = {112, 112, 105};
inline constexpr int kDmRowsPerColumn = 6;
inline constexpr int kDmFirstRowY = 16;
inline constexpr int kDmRowHeight = 16;

inline QString FromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Children of a bold frame would inherit its weight; stating the weight keeps them regular.
inline QFont RegularFont() {
    QFont font = ProgramFont();
    font.setBold(false);
    return font;
}

// An editable combo box builds a completer over its list for a text field that has none. The value fields
// complete nothing, so their text fields come holding one shared stand-in, which is taken off again at once:
// the same boxes, without a completer built and dropped for each of them.
inline QComboBox* MakeValueField(QWidget* parent, const char* name, const char* initial, QCompleter& standIn) {
    auto* field = new QComboBox(parent);
    field->setObjectName(QLatin1String(name));
    auto* edit = new QLineEdit(field);
    edit->setCompleter(&standIn);
    field->setLineEdit(edit); // makes the box editable
    field->setInsertPolicy(QComboBox::NoInsert);
    field->setCompleter(nullptr); // typed digits stay as typed, never completed from the list
    field->lineEdit()->setMaxLength(10); // what a 32-bit number needs
    field->setEditText(QLatin1String(initial));
    return field;
}

inline QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const char* caption) {
    auto* box = new QCheckBox(QLatin1String(caption), parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

inline QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption) {
    auto* button = new QPushButton(QLatin1String(caption), parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

inline QLabel* MakeLabel(QWidget* parent, const char* name, const char* caption) {
    auto* label = new QLabel(QLatin1String(caption), parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

inline QLineEdit* MakeTextBox(QWidget* parent, const char* name, const char* text) {
    auto* edit = new QLineEdit(QLatin1String(text), parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

inline QFrame* MakeFrame(QWidget* parent, const char* name) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(QLatin1String(name));
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken); // etched: a dark and a light line
    return frame;
}

inline QFrame* MakeEtchedLine(QWidget* parent, const char* name, QFrame::Shape shape) {
    auto* line = new QFrame(parent);
    line->setObjectName(QLatin1String(name));
    line->setFrameShape(shape);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace trel::mainwindow
