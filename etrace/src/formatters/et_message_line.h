// The line of an RVT, L2T or DCT message in a text listing: the time-stamp
// column at the message's cycle, the kind's tag ("RVT " ...), the message
// text and a newline. The same in every text format.
#pragma once

#include <string>

#include "etrace/formatters/et_timestamp_column.h"
#include "etrace/records/et_object.h"

// Appends the line to line; std::logic_error for an object that is not a
// message.
void append_message_line(std::string& line, const et_timestamp_column_t& timestamp,
                         const et_object_t& message);
