#include "platform/base/Result.h"

namespace Vx {
namespace {

struct ResultText {
    result value;
    const char* name;
    const char* message;
};

constexpr ResultText kResults[] = {
    {E_SUCCESS, "E_SUCCESS", ""},
    {E_FAILURE, "E_FAILURE", "General failure."},
    {E_INVALID_OPERATION, "E_INVALID_OPERATION", "The operation could not be set up."},
    {E_INVALID_STATE, "E_INVALID_STATE", "The object is already constructed or not in a usable state."},
    {E_UNDERFLOW, "E_UNDERFLOW", "Too few entries."},
    {E_IN_PROGRESS, "E_IN_PROGRESS", "Another request is already in progress."},
    {E_INVALID_ARG, "E_INVALID_ARG", "Invalid argument."},
    {E_INVALID_FORMAT, "E_INVALID_FORMAT", "Invalid format."},
    {E_NUM_FORMAT, "E_NUM_FORMAT", "The text is not a valid number."},
    {E_OUT_OF_RANGE, "E_OUT_OF_RANGE", "Out of range."},
    {E_OBJ_ALREADY_EXIST, "E_OBJ_ALREADY_EXIST", "The object already exists."},
    {E_INVALID_ENCODING, "E_INVALID_ENCODING", "The text is not valid UTF-8."},
    {E_OBJ_NOT_FOUND, "E_OBJ_NOT_FOUND", "Not found."},
    {E_DEVICE_UNAVAILABLE, "E_DEVICE_UNAVAILABLE", "The device is not available."},
    {E_STORAGE_FULL, "E_STORAGE_FULL", "The storage is full."},
    {E_IO, "E_IO", "Input/output error."},
    {E_SYSTEM, "E_SYSTEM", "System error."},
    {E_OUT_OF_MEMORY, "E_OUT_OF_MEMORY", "Out of memory."},
    {E_CONNECTION_FAILED, "E_CONNECTION_FAILED", "The connection failed."},
    {E_TIMEOUT, "E_TIMEOUT", "The operation timed out."},
    {E_NETWORK_UNAVAILABLE, "E_NETWORK_UNAVAILABLE", "The network is not available."},
    {E_HOST_NOT_FOUND, "E_HOST_NOT_FOUND", "The host was not found."},
    {E_PERMISSION_DENIED, "E_PERMISSION_DENIED", "Permission denied."},
};

const ResultText* Find(result r) {
    for (const auto& entry : kResults) {
        if (entry.value == r) return &entry;
    }
    return nullptr;
}

}  // namespace

const char* GetResultName(result r) {
    const ResultText* entry = Find(r);
    return entry ? entry->name : "E_UNKNOWN";
}

const char* GetErrorMessage(result r) {
    const ResultText* entry = Find(r);
    return entry ? entry->message : "Unknown error.";
}

}  // namespace Vx
