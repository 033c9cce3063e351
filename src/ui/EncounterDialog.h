#pragma once

#include "uilogic/EncounterForm.h"

#include <QDialog>

#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace korvex {

class MainWindowModel;

// The "Encounter…" dialog: displays an EncounterForm's fields and forwards
// OK and "From the Photo" to it. A refused OK keeps the dialog open with
// what was typed and puts the focus in the field named; Cancel and Escape
// store nothing.
// (No Q_OBJECT: it declares no signal, and moc cannot read the standard
// headers the encounter types take in.)
class EncounterDialog : public QDialog {
public:
    // `form` must outlive the dialog.
    EncounterDialog(EncounterForm& form, QWidget* parent);

    // "Catalogue › Encounter…": the dialog for the record shown last, run to
    // its end; a message says so when no record is shown.
    static void editShownRecord(QWidget* parent, MainWindowModel& model,
                                PlatformServices& services);
    // The question of "Append to the List" while "Ask for the Encounter at
    // Append" is on: what was typed on OK, nothing on Cancel.
    static std::optional<Encounter> askAtAppend(QWidget* parent, const Document& document,
                                                PlatformServices& services,
                                                const std::string& code, const Encounter& offered,
                                                const std::optional<std::string>& photoPath);

    EncounterForm::Fields fields() const;
    void display(const EncounterForm::Fields& fields);
    QLineEdit* editor(EncounterForm::Field field) const;
    QComboBox* siteBox() const { return site_; }
    QPushButton* fromPhotoButton() const { return fromPhoto_; }

    void accept() override;

private:
    EncounterForm& form_;
    QLineEdit* date_ = nullptr;
    QLineEdit* time_ = nullptr;
    QComboBox* site_ = nullptr;
    QLineEdit* latitude_ = nullptr;
    QLineEdit* longitude_ = nullptr;
    QLineEdit* observer_ = nullptr;
    QLineEdit* note_ = nullptr;
    QPushButton* fromPhoto_ = nullptr;
};

} // namespace korvex
