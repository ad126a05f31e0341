#include "lib/device/IapLibBogusSystemInfo.h"

#include "lib/device/IapSystemInfo.h"

void IapLibBogusSystemInfo::Set() const { IapSystemInfo::GetInstance().SetBogusSystemInfo(*this); }
