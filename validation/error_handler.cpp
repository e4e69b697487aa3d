// The error-handler singleton's life.
#include "validation/error_handler.h"

#include <memory>

namespace DAROdi {

namespace {

std::unique_ptr<ErrorHandler>& Singleton() {
    static std::unique_ptr<ErrorHandler> singleton;
    return singleton;
}

}  // namespace

void ErrorHandler::CreateInstance() {
    if (!Singleton()) Singleton().reset(new ErrorHandler);
}

void ErrorHandler::DestroyInstance() {
    Singleton().reset();
}

ErrorHandler* ErrorHandler::Instance() {
    return Singleton().get();
}

}  // namespace DAROdi
