#pragma once
// One page of records with its paging numbers as the server counts them.
#include "platform/base/ArrayListT.h"

template <class T>
class IapItemList : public Vx::Base::Collection::ArrayListT<T> {
public:
    int startNumber = -1;  // number of the first record in this page
    int endNumber = -1;    // number of the last record in this page
    int totalCount = -1;   // records in all pages
};
