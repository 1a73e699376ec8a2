// One direction of an encrypted format, applied to a file's body piece by piece in order.
#ifndef VEILQUILL_CONTENT_TRANSFORM_H
#define VEILQUILL_CONTENT_TRANSFORM_H

#include <cstddef>
#include <cstdint>

#include "core/job_result.h"

class ContentTransform {
  public:
    virtual ~ContentTransform() = default;
    // The bytes read from the source for one piece; only the last piece may be shorter.
    virtual std::size_t InputPiece() const = 0;
    // The room one piece needs to be transformed in place.
    virtual std::size_t PieceCapacity() const = 0;
    // Transforms the next piece in place (`last` for the body's final piece) and sets
    // `length` to what it became. False when the piece does not verify or the transform
    // fails: nothing of it may be used then.
    [[nodiscard]] virtual bool Apply(unsigned char* piece, std::size_t& length, bool last) = 0;
    // After Apply failed, why: kDamaged with where the first bad part starts, or a failure of
    // the cryptographic library.
    virtual JobResult WhyFailed() const { return Ended(JobOutcome::kDamaged); }
};

#endif
