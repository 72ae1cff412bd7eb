#include "platform/networkexchanges.h"

NetworkExchanges::NetworkExchanges(const Clock& clock, ActivityLog& log, const Settings& settings)
    : ntsExchange_(keyExchange_, {ntsSocket_, clock, log, settings}),
      ntpExchange_({ntpSocket_, clock, log, settings}),
      lineExchange_({tcpSocket_, clock, log, settings}) {}
