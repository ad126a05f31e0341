#include "client/payment/IapClientPaymentMethodPrivate.h"

#include "client/payment/IapClientPaymentMethod.h"

void IapClientPaymentMethodPrivate::OnPaymentMethodFunction(const IapCommonHttpReply& reply) {
    if (owner) owner->RouteReply(reply);
}
