#pragma once
// The text of an L2T or DCT message: the record name of its letter and the
// payload text. Both message kinds share the L2T payload records.
#include <string>

#include "etrace/stream/et_record.h"

struct l2t_object_t;
struct dct_object_t;

namespace et_text {

// The payloads only one message kind has (L2T: HM2; DCT: BRQ, WUP).
void append_own_payload(std::string& out, const l2t_object_t& message, mh_payload_shape_t shape);
void append_own_payload(std::string& out, const dct_object_t& message, mh_payload_shape_t shape);

template <class Message>
void append_message(std::string& out, const Message& message, unsigned first_code,
                    unsigned last_code) {
  const unsigned letter = message.letter;
  const char* name =
      letter >= first_code && letter <= last_code ? mh_message_name(letter) : nullptr;
  if (!name) {
    out += "(unknown)";
    return;
  }
  out += name;
  out += ' ';
  const mh_payload_shape_t shape = mh_message_shape(letter);
  switch (shape) {
    case MH_SHAPE_RQ: message.rq.append_text(out); break;
    case MH_SHAPE_WD: message.wd.append_text(out); break;
    case MH_SHAPE_RS: message.rs.append_text(out); break;
    case MH_SHAPE_RL: message.rl.append_text(out); break;
    case MH_SHAPE_SR: message.sr.append_text(out); break;
    default: append_own_payload(out, message, shape); break;
  }
}

}  // namespace et_text
