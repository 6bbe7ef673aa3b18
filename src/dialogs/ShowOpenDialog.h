#pragma once

#include <QString>

class frmGrid;

// Asks for the file a File window is to load: its full path, or "" when the user cancels.
// Asked for the Compare window, the dialog still shows, untitled, and the answer is always "".
QString ShowOpenDialog(frmGrid& window);
