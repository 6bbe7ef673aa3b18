#pragma once
// Refuses typed characters that are not in an allowed set, with a beep.

#include <QObject>
#include <QString>

class QWidget;

// The key code when it is one of allowed's characters; otherwise 0, after one beep.
int KeyFilter(int& keyCode, const QString& allowed);

// Puts every character typed into a text box through KeyFilter, the control characters of
// cut, undo and the like included, and every character pasted. Keys that type no character (arrows, Delete, function
// keys) pass untouched, and so do Enter, Esc and Tab, which belong to the dialog. Dropped text,
// the middle button's paste and the context menu are shut out.
void InstallKeyFilter(QWidget* textBox, const QString& allowed);
