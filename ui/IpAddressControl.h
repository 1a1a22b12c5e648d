#pragma once

#include <QLineEdit>
#include <string>

namespace merivane {

// Shows an IPv4 address as four fields separated by dots. Setting a text reads
// it in dotted form: each field takes the figures it begins with, held to
// 255; a field without figures, or one the text does not reach, stays blank.
class IpAddressControl : public QLineEdit {
    Q_OBJECT
  public:
    explicit IpAddressControl(QWidget* parent = nullptr);

    void SetAddressText(const std::string& text);
    // The address as shown: "a.b.c.d", with blank fields empty; empty when all are blank.
    static QString Normalised(const std::string& text);
};

}  // namespace merivane
