#include "record/recorded_pass.h"

#include <cstring>

void ClearPass(RecordedPass* pass) { std::memset(pass, 0, sizeof *pass); }

bool PassDraws(const RecordedPass& pass, int request) {
  return request >= 0 && request < pass.drawsNamed &&
         (pass.draws[request / 8] & (1u << (request % 8)));
}

void SetPassDraws(RecordedPass* pass, int request) {
  if (request < 0 || request >= MAX_PASS_REQUESTS) return;
  pass->draws[request / 8] |= static_cast<uint8_t>(1u << (request % 8));
  if (request >= pass->drawsNamed) pass->drawsNamed = request + 1;
}

bool SameInputs(const RecordedPass& a, const RecordedPass& b) {
  return a.escape == b.escape && a.padPresent == b.padPresent && a.noScene == b.noScene &&
         a.dump == b.dump && a.messageCount == 0 && b.messageCount == 0 && a.answerCount == 0 &&
         b.answerCount == 0 && a.drawsNamed == b.drawsNamed &&
         std::memcmp(&a.pad, &b.pad, sizeof a.pad) == 0 &&
         std::memcmp(a.keys, b.keys, sizeof a.keys) == 0 &&
         std::memcmp(a.draws, b.draws, (a.drawsNamed + 7) / 8) == 0;
}

int WrittenClocks(const RecordedPass& pass) {
  int count = pass.clockCount;
  while (count > 1 && pass.clocks[count - 1] == pass.clocks[count - 2]) --count;
  return count;
}
