// A job's progress that asks the job to stop once it has gone over a number of pieces.
#ifndef VEILQUILL_TESTS_STOP_AFTER_H
#define VEILQUILL_TESTS_STOP_AFTER_H

#include <cstdint>

#include "core/job_result.h"

namespace vqtest {

class StopAfter : public JobProgress {
  public:
    explicit StopAfter(int pieces) : left_(pieces) {}
    void Advance(std::uint64_t) override { --left_; }
    bool StopRequested() const override { return left_ <= 0; }

  private:
    int left_;
};

} // namespace vqtest

#endif
