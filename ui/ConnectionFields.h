#pragma once
#include "dbimport/SchemaReader.h"

#include <vector>

class QFormLayout;
class QLineEdit;
class QWidget;

namespace quorrel {

class Prompts;

// The fields of a MySQL/MariaDB connection as the database dialogs show
// them: server, port, socket, user, password and database, as rows of the
// dialog's own form layout. The password is shown as dots and kept only in
// its field.
class TConnectionFields {
public:
    // Adds the six rows to layout; the edits belong to parent.
    TConnectionFields(QFormLayout& layout, QWidget& parent);

    // The settings the fields give. False, after a box has said why, when
    // the database or the user name is empty.
    bool Read(TConnectionSettings& settings, Prompts& prompts) const;
    // The six edits in the order shown.
    std::vector<QLineEdit*> Edits() const;
    void SetEnabled(bool enabled) const;

    QLineEdit* host = nullptr;
    QLineEdit* port = nullptr;
    QLineEdit* socket = nullptr;
    QLineEdit* user = nullptr;
    QLineEdit* password = nullptr;
    QLineEdit* database = nullptr;
};

} // namespace quorrel
