#pragma once
// Qt's own texts (the standard buttons of message boxes, the file dialog) in
// Korean, as the rest of the program, whatever the system's language.

class QCoreApplication;

// False when Qt's Korean translations are not installed (Debian package
// qt6-translations-l10n): Qt's texts then stay English.
bool installQtTranslations(QCoreApplication& app);
