#pragma once
// Listeners registered with a control, not owned. Telling them tolerates a
// listener that adds or removes listeners (itself included) meanwhile.
#include <algorithm>
#include <vector>

#include "platform/base/Result.h"

namespace Vx::Ui {

template <class Listener>
class ListenerList {
public:
    // E_OBJ_ALREADY_EXIST when added twice.
    result Add(Listener& listener) {
        if (Contains(&listener)) return E_OBJ_ALREADY_EXIST;
        listeners_.push_back(&listener);
        return E_SUCCESS;
    }
    // E_OBJ_NOT_FOUND when never added.
    result Remove(Listener& listener) {
        auto it = std::find(listeners_.begin(), listeners_.end(), &listener);
        if (it == listeners_.end()) return E_OBJ_NOT_FOUND;
        listeners_.erase(it);
        return E_SUCCESS;
    }
    // Calls `tell(listener)` for each listener still registered, in order,
    // until `stillAlive()` says the owner has gone.
    template <class Tell, class Alive>
    void ForEach(Tell tell, Alive stillAlive) const {
        std::vector<Listener*> copy = listeners_;
        for (Listener* listener : copy) {
            if (!stillAlive()) return;
            if (Contains(listener)) tell(*listener);
        }
    }

private:
    bool Contains(Listener* listener) const {
        return std::find(listeners_.begin(), listeners_.end(), listener) != listeners_.end();
    }
    std::vector<Listener*> listeners_;
};

}  // namespace Vx::Ui
