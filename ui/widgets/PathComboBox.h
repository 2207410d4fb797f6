#pragma once

#include <QComboBox>

// An editable drop-down box that tells when its list is about to drop down.
class PathComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit PathComboBox(QWidget *parent = nullptr) : QComboBox(parent) {}
    void showPopup() override
    {
        emit aboutToDropDown();
        QComboBox::showPopup();
    }

signals:
    void aboutToDropDown();
};
