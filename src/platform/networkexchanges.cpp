#include "platform/networkexchanges.h"

NetworkExchanges::NetworkExchanges(const Clock& clock, ActivityLog& log, const Settings& settings)
    : ntpExchange_({udpSocket_, clock, log, settings}),
      lineExchange_({tcpSocket_, clock, log, settings}) {}
