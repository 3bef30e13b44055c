// SPDX-License-Identifier: GPL-3.0-or-later
#include "style/FontDialog.h"

#include "common/RuntimeFailure.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleValidator>
#include <QFontComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The sizes, in points, that the user can confirm; 0 or an empty size would not show any text.
constexpr double SmallestSize = 1;
constexpr double LargestSize = 1638;

} // namespace

FontDialog::FontDialog(const FontChoice &start, QWidget *parent)
    : QDialog(parent)
    , m_family(new QFontComboBox(this))
    , m_style(new QComboBox(this))
    , m_size(new QComboBox(this))
    , m_sample(new QLabel(tr("AaBbĄąĘęŁłŻż"), this))
    , m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
{
    setWindowTitle(tr("Czcionka"));
    setModal(true);

    // Picked from the list only: a typed name that no family has could not be shown.
    m_family->setEditable(false);
    m_family->setObjectName(QStringLiteral("family"));

    m_style->addItems({tr("Normalny"), tr("Kursywa"), tr("Pogrubiony"), tr("Pogrubiona kursywa")});
    m_style->setObjectName(QStringLiteral("style"));

    m_size->setEditable(true);
    m_size->setInsertPolicy(QComboBox::NoInsert);
    m_size->setObjectName(QStringLiteral("size"));
    m_size->setMinimumContentsLength(6);
    m_size->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    auto *validator = new QDoubleValidator(SmallestSize, LargestSize, 1, m_size);
    validator->setNotation(QDoubleValidator::StandardNotation);
    m_size->setValidator(validator);
    for (const int points : QFontDatabase::standardSizes())
        m_size->addItem(validator->locale().toString(points));

    auto *familyLabel = new QLabel(tr("&Czcionka:"), this);
    familyLabel->setBuddy(m_family);
    auto *styleLabel = new QLabel(tr("&Styl czcionki:"), this);
    styleLabel->setBuddy(m_style);
    auto *sizeLabel = new QLabel(tr("&Rozmiar:"), this);
    sizeLabel->setBuddy(m_size);

    auto *sampleBox = new QGroupBox(tr("Przykład"), this);
    auto *sampleLayout = new QVBoxLayout(sampleBox);
    m_sample->setAlignment(Qt::AlignCenter);
    m_sample->setMinimumHeight(60);
    sampleLayout->addWidget(m_sample);

    auto *grid = new QGridLayout(this);
    grid->addWidget(familyLabel, 0, 0);
    grid->addWidget(styleLabel, 0, 1);
    grid->addWidget(sizeLabel, 0, 2);
    grid->addWidget(m_family, 1, 0);
    grid->addWidget(m_style, 1, 1);
    grid->addWidget(m_size, 1, 2);
    grid->addWidget(sampleBox, 2, 0, 1, 3);
    grid->addWidget(m_buttons, 3, 0, 1, 3);
    grid->setColumnStretch(0, 1);

    nameForAssistiveTechnology();

    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_family, &QComboBox::currentIndexChanged, this, &FontDialog::updateSample);
    connect(m_style, &QComboBox::currentIndexChanged, this, &FontDialog::updateSample);
    connect(m_size, &QComboBox::editTextChanged, this, &FontDialog::updateSample);

    setChoice(start);
}

// Each list takes its label's words. On Linux Qt names a combo box by the value it shows and
// links it to its label; the list it drops down and the size's edit field have no such link.
void FontDialog::nameForAssistiveTechnology()
{
    const std::pair<QComboBox *, QString> lists[] = {
        {m_family, tr("Czcionka")},
        {m_style, tr("Styl czcionki")},
        {m_size, tr("Rozmiar")},
    };
    for (const auto &[list, name] : lists) {
        list->setAccessibleName(name);
        list->view()->setAccessibleName(name);
    }
    m_size->lineEdit()->setAccessibleName(tr("Rozmiar"));
    m_buttons->setAccessibleName(tr("Przyciski okna"));
}

FontChoice FontDialog::choice() const
{
    const int style = m_style->currentIndex();
    return FontChoice{m_family->currentText(), size().value_or(float(SmallestSize)),
                      style == Bold || style == BoldItalic, style == Italic || style == BoldItalic};
}

void FontDialog::setChoice(const FontChoice &choice)
{
    const int family = m_family->findText(choice.name, Qt::MatchFixedString);
    if (family >= 0)
        m_family->setCurrentIndex(family);
    else
        m_family->setCurrentIndex(-1);

    if (choice.bold)
        m_style->setCurrentIndex(choice.italic ? BoldItalic : Bold);
    else
        m_style->setCurrentIndex(choice.italic ? Italic : Regular);

    m_size->setEditText(m_size->validator()->locale().toString(choice.size));
    updateSample();
}

std::optional<float> FontDialog::size() const
{
    QString text = m_size->currentText();
    int position = 0;
    if (m_size->validator()->validate(text, position) != QValidator::Acceptable)
        return std::nullopt;
    bool ok = false;
    const float points = m_size->validator()->locale().toFloat(text, &ok);
    return ok ? std::optional<float>(points) : std::nullopt;
}

void FontDialog::updateSample()
{
    const FontChoice chosen = choice();
    QFont font = m_family->currentIndex() >= 0 ? m_family->currentFont() : this->font();
    font.setPointSizeF(chosen.size);
    font.setBold(chosen.bold);
    font.setItalic(chosen.italic);
    m_sample->setFont(font);
    updateOkButton();
}

// OK needs a face from the list and a size in range; until then only Cancel closes the dialog.
void FontDialog::updateOkButton()
{
    m_buttons->button(QDialogButtonBox::Ok)
        ->setEnabled(m_family->currentIndex() >= 0 && size().has_value());
}

std::optional<FontChoice> FontDialogPicker::pick(const FontChoice &start, QWidget *parent)
{
    if (QFontDatabase::families().isEmpty()) {
        throw RuntimeFailure(RuntimeFailure::NoFontsExist,
                             tr("W systemie nie ma żadnej czcionki."));
    }
    FontDialog dialog(start, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.choice();
}
