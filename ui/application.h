#pragma once
// What every GUI program of the suite sets up once its QApplication exists.

class QApplication;

namespace ui {

// Loads Qt's own texts (button labels of standard dialogs) in the suite's language, maps
// the layouts' "Tahoma" to the desktop's sans face, and reports input in the program's
// windows as user activity. Call again after the language changed.
void prepareApplication(QApplication& application, unsigned language);

} // namespace ui
