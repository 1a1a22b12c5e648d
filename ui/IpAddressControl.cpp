#include "ui/IpAddressControl.h"

#include <QStringList>
#include <algorithm>
#include <cctype>

namespace merivane {

IpAddressControl::IpAddressControl(QWidget* parent) : QLineEdit(parent) { setReadOnly(true); }

QString IpAddressControl::Normalised(const std::string& text) {
    QStringList fields;
    bool any = false;
    size_t at = 0;
    for (int field = 0; field < 4; ++field) {
        QString shown;
        if (at <= text.size()) {
            const size_t end = std::min(text.find('.', at), text.size());
            int value = 0;
            bool figures = false;
            for (size_t i = at; i < end && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
                value = std::min(value * 10 + (text[i] - '0'), 255 * 10);
                figures = true;
            }
            if (figures) {
                shown = QString::number(std::min(value, 255));
                any = true;
            }
            at = end + 1;
        }
        fields << shown;
    }
    return any ? fields.join('.') : QString();
}

void IpAddressControl::SetAddressText(const std::string& text) { setText(Normalised(text)); }

}  // namespace merivane
