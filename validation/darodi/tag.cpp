// A Tag's construction count and its clean removal from the handler and the data manager.
#include "validation/darodi/tag.h"

#include <atomic>

#include "validation/darodi/data_manager.h"
#include "validation/darodi/error_handler.h"

namespace DAROdi {

namespace {

std::atomic<int64_t> g_constructed{0};

} // namespace

Tag::Tag() {
    g_constructed.fetch_add(1);
}

Tag::~Tag() {
    if (ErrorHandler* handler = ErrorHandler::Instance()) handler->RemoveTagEntry(this);
    if (DataManager* manager = DataManager::Existing()) manager->ForgetTag(this);
}

int64_t Tag::ConstructedCount() {
    return g_constructed.load();
}

} // namespace DAROdi
