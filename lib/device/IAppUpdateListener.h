#pragma once
// Receives the outcome and progress of an AppUpdater.
#include "lib/device/AppUpdater.h"

class IAppUpdateListener {
public:
    virtual ~IAppUpdateListener() = default;

    virtual void OnUpdateCompleted(AppUpdater::UpdateResult updateResult) = 0;
    // percent: 0 to 100.
    virtual void OnDownloadProgressChanged(int percent) { (void)percent; }
    virtual void OnInstallProgressChanged(int progress) { (void)progress; }
};
