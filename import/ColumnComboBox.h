#pragma once

#include <QComboBox>

// The choice of a source column for a field. Column names such as "Rufnummer (privat)" and
// "Rufnummer (geschäftlich)" differ only at their end, so the closed box is as wide as the
// longest name within reason, and shows the whole name as its tooltip wherever it still cuts it.
class ColumnComboBox : public QComboBox
{
public:
    ColumnComboBox();

    // The names of a source's columns in header order; the box widens to show them whole.
    void SetColumnNames(const QStringList& names);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void UpdateToolTip();
};
