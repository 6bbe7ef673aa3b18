#pragma once
// Refuses typed characters that are not in an allowed set, with a beep.

#include <QObject>
#include <QString>

class QWidget;

// The key code when it is one of allowed's characters; otherwise 0, after one beep.
int KeyFilter(int& keyCode, const QString& allowed);

// Puts every character typed into a text box through KeyFilter. Keys that type no character
// (arrows, Delete, function keys) pass untouched.
void InstallKeyFilter(QWidget* textBox, const QString& allowed);
