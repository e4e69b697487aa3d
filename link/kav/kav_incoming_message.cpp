// Only the kind test lives here; the message is otherwise its payload stream.
#include "link/kav/kav_incoming_message.h"

#include "link/kav/kav_link_format.h"

bool KAVIncomingMessage::IsLogKind() const { return kind_ == KAVLink::Note::kResultsLog; }
