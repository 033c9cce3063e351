#include "ui/EncounterDialog.h"

#include "uilogic/MainWindowModel.h"
#include "ui/QtPlatformServices.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvex {

namespace {

using Field = EncounterForm::Field;

QString utf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string utf8(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

} // namespace

EncounterDialog::EncounterDialog(EncounterForm& form, QWidget* parent)
    : QDialog(parent), form_(form) {
    setWindowTitle(QString::fromLatin1(EncounterForm::kTitle));
    setAccessibleName(windowTitle());
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(QtPlatformServices::displayText(form.heading()), this);
    heading->setObjectName(QStringLiteral("encounterHeading"));
    layout->addWidget(heading);

    auto* fields = new QFormLayout;
    const auto line = [&](const QString& label, Field field, const QString& hint) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("encounter") +
                            QString::fromLatin1(EncounterForm::nameOf(field)));
        edit->setAccessibleName(QString::fromLatin1(EncounterForm::nameOf(field)));
        edit->setAccessibleDescription(hint);
        edit->setPlaceholderText(hint);
        fields->addRow(label, edit);
        return edit;
    };
    date_ = line(QStringLiteral("&Date:"), Field::Date, QStringLiteral("YYYY-MM-DD"));
    time_ = line(QStringLiteral("&Time:"), Field::Time,
                 QStringLiteral("HH:MM or HH:MM:SS, local; may stay empty"));
    site_ = new QComboBox(this);
    site_->setObjectName(QStringLiteral("encounterSite"));
    site_->setEditable(true);
    site_->setInsertPolicy(QComboBox::NoInsert);
    site_->setAccessibleName(QStringLiteral("Site"));
    // A reader that lands in the typed part names it as the box.
    site_->lineEdit()->setAccessibleName(site_->accessibleName());
    for (const std::string& name : form.siteChoices())
        site_->addItem(utf8(name));
    fields->addRow(QStringLiteral("&Site:"), site_);
    latitude_ = line(QStringLiteral("&Latitude:"), Field::Latitude,
                     QStringLiteral("decimal degrees, WGS84, north positive (39.0507)"));
    longitude_ = line(QStringLiteral("Lo&ngitude:"), Field::Longitude,
                      QStringLiteral("decimal degrees, WGS84, east positive (-76.8091)"));
    observer_ = line(QStringLiteral("&Observer:"), Field::Observer, QString());
    note_ = line(QStringLiteral("No&te:"), Field::Note, QString());
    layout->addLayout(fields);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    fromPhoto_ = buttons->addButton(QStringLiteral("&From the Photo"),
                                    QDialogButtonBox::ActionRole);
    fromPhoto_->setObjectName(QStringLiteral("encounterFromPhoto"));
    fromPhoto_->setAccessibleName(QStringLiteral("From the Photo"));
    fromPhoto_->setAccessibleDescription(
        QStringLiteral("Fills the date, time and position from the photo's Exif"));
    fromPhoto_->setEnabled(form.hasPhoto());
    // Enter in a field is OK, not "From the Photo".
    fromPhoto_->setAutoDefault(false);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &EncounterDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(fromPhoto_, &QPushButton::clicked, this,
            [this] { display(form_.fromPhoto(this->fields())); });

    display(form.fields());
}

EncounterForm::Fields EncounterDialog::fields() const {
    return {utf8(date_->text()),     utf8(time_->text()),      utf8(site_->currentText()),
            utf8(latitude_->text()), utf8(longitude_->text()), utf8(observer_->text()),
            utf8(note_->text())};
}

void EncounterDialog::display(const EncounterForm::Fields& fields) {
    date_->setText(utf8(fields.date));
    time_->setText(utf8(fields.time));
    site_->setCurrentText(utf8(fields.site));
    latitude_->setText(utf8(fields.latitude));
    longitude_->setText(utf8(fields.longitude));
    observer_->setText(utf8(fields.observer));
    note_->setText(utf8(fields.note));
}

QLineEdit* EncounterDialog::editor(Field field) const {
    switch (field) {
    case Field::Date:
        return date_;
    case Field::Time:
        return time_;
    case Field::Site:
        return site_->lineEdit();
    case Field::Latitude:
        return latitude_;
    case Field::Longitude:
        return longitude_;
    case Field::Observer:
        return observer_;
    case Field::Note:
        return note_;
    }
    return nullptr;
}

void EncounterDialog::accept() {
    if (form_.accept(fields())) {
        QDialog::accept();
        return;
    }
    if (const auto bad = form_.badField())
        if (QLineEdit* edit = editor(*bad)) {
            edit->setFocus();
            edit->selectAll();
        }
}

void EncounterDialog::editShownRecord(QWidget* parent, MainWindowModel& model,
                                      PlatformServices& services) {
    auto form = EncounterForm::forShownRecord(services, model);
    if (!form)
        return;
    EncounterDialog dialog(*form, parent);
    dialog.exec();
}

std::optional<Encounter> EncounterDialog::askAtAppend(QWidget* parent, const Document& document,
                                                      PlatformServices& services,
                                                      const std::string& code,
                                                      const Encounter& offered,
                                                      const std::optional<std::string>& photoPath) {
    EncounterForm form(services, document, code, offered, photoPath);
    EncounterDialog dialog(form, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return form.accepted();
}

} // namespace korvex
