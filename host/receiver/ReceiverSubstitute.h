#pragma once
// The host plays the receiver application's part with the receiver's own core, in-process.

#include "receiver/Receiver.h"

namespace vantrel::host {

using ReceiverSubstitute = receiver::Receiver;
using receiver::MeterReport;
using receiver::MonitorReport;
using receiver::kArticulationsNotification;
using receiver::kConnectNotification;
using receiver::kDisconnectNotification;

} // namespace vantrel::host
