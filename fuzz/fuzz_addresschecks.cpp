// The checks of the address and port fields, on any two texts.
#include <QRegularExpression>

#include "fuzzcheck.h"
#include "serverlist/addresschecks.h"

namespace {

bool isCheckedPort(const QString& port) {
    static const QRegularExpression digits(QStringLiteral("\\A[1-9][0-9]{0,4}\\z"));
    return digits.match(port).hasMatch() && port.toInt() <= 32767;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const QString ipText = input.text(64);
    const QString portText = input.text(64);

    const QString port = checkedPort(portText);
    FUZZ_CHECK(isCheckedPort(port), "%s checked to %s", quoted(portText).data(),
               quoted(port).data());

    const AddressFields fields = checkedAddress(ipText, portText);
    FUZZ_CHECK(!fields.ip.isEmpty() && !fields.ip.contains(u':') && !fields.ip.startsWith(u' ') &&
                   !fields.ip.endsWith(u' '),
               "%s checked to %s", quoted(ipText).data(), quoted(fields.ip).data());
    if (ipText.contains(u':'))
        FUZZ_CHECK(isCheckedPort(fields.port), "%s checked to port %s", quoted(ipText).data(),
                   quoted(fields.port).data());
    else
        FUZZ_CHECK(fields.port == portText, "port %s changed to %s", quoted(portText).data(),
                   quoted(fields.port).data());
    return 0;
}
