#include "ColumnComboBox.h"

#include "qt/DisplayText.h"

#include <QStyleOptionComboBox>
#include <algorithm>

namespace {

// The widest a box grows for a long column name, in average characters.
constexpr int kMaxNameCharacters = 40;

} // namespace

ColumnComboBox::ColumnComboBox()
{
    setEditable(false);
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const QSize longest(fontMetrics().averageCharWidth() * kMaxNameCharacters,
                        fontMetrics().height());
    setMaximumWidth(style()->sizeFromContents(QStyle::CT_ComboBox, &option, longest, this).width());
    connect(this, &QComboBox::currentIndexChanged, this, &ColumnComboBox::UpdateToolTip);
}

void ColumnComboBox::SetColumnNames(const QStringList& names)
{
    clear();
    addItems(names);
    // The layout may not shrink the box below what shows the longest name.
    setMinimumWidth(std::min(sizeHint().width(), maximumWidth()));
}

void ColumnComboBox::resizeEvent(QResizeEvent* event)
{
    QComboBox::resizeEvent(event);
    UpdateToolTip();
}

void ColumnComboBox::UpdateToolTip()
{
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const QRect shown =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    const QString name = currentText();
    setToolTip(fontMetrics().horizontalAdvance(name) > shown.width() ? platform::PlainToolTip(name)
                                                                     : QString());
}
