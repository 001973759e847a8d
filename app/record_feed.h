// Reading the data file ahead of the record loop. Turning the data bytes into
// records costs about as much as listing them, so a second thread reads while
// the loop lists the records before them.
// The records come out in order, each exactly as one read of the reader left
// it, so the loop sees what it would see reading the file itself. Where no
// thread can be started the feed reads in the caller's thread instead.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "records/observation.h"
#include "textio/freeform_reader.h"
#include "textio/stream.h"

namespace app {

// One record as one read of the data file left it.
struct ReadRecord {
  records::Observation obs;  // the items, with those the read did not give kept from before
  textio::Outcome outcome;   // how the read ended
  textio::Fault fault;       // why, when it ended in error
  std::uint32_t fault_item;  // the item the failing value was meant for
  int io_error;              // the errno value of a failed source read, or 0
  std::uint64_t line;        // the line the reader stood on after the read
};

// The records of one data file, read ahead in batches by a second thread.
class RecordFeed {
 public:
  // Reads records of nval values (none when nval <= 0, at most 12) from
  // data, which must outlive the feed; in a second thread when read_ahead.
  RecordFeed(textio::Source& data, std::int32_t nval, bool read_ahead = true);
  // Stops the reading thread, wherever it is.
  ~RecordFeed();
  RecordFeed(const RecordFeed&) = delete;
  RecordFeed& operator=(const RecordFeed&) = delete;

  // The next record. The last one is the first whose outcome is not whole;
  // asking again after it gives it again.
  const ReadRecord& next() { return pos_ != end_ ? *pos_++ : next_batch(); }

 private:
  static constexpr std::size_t kBatchRecords = 4096;
  static constexpr std::uint64_t kBatches = 4;
  struct Batch {
    std::vector<ReadRecord> records;  // room for kBatchRecords, set aside once
  };

  const ReadRecord& next_batch();
  bool fill(Batch& b);
  void produce();

  textio::Reader reader_;
  records::Observation obs_;
  textio::Item items_[5 + records::kMaxValues];
  std::size_t item_count_;
  std::unique_ptr<Batch[]> batches_;

  // Read only by the loop's thread.
  const ReadRecord* pos_ = nullptr;
  const ReadRecord* end_ = nullptr;
  const ReadRecord* last_ = nullptr;  // set once the last record has been handed out
  bool holding_ = false;              // a batch is being handed out

  // Shared between the threads, under mutex_.
  std::mutex mutex_;
  std::condition_variable changed_;
  std::uint64_t filled_ = 0;  // batches filled by the reading thread
  std::uint64_t taken_ = 0;   // batches handed back by the loop
  bool stop_ = false;
  std::thread thread_;  // not started when threads cannot be had
};

}  // namespace app
