#include "app/record_feed.h"

#include <algorithm>
#include <system_error>

namespace app {

RecordFeed::RecordFeed(textio::Source& data, std::int32_t nval, bool read_ahead)
    // Reading in the loop's thread needs one batch only.
    : reader_(data), batches_(new Batch[read_ahead ? kBatches : 1]) {
  for (std::uint64_t i = 0; i < (read_ahead ? kBatches : 1); ++i)
    batches_[i].records.reserve(kBatchRecords);
  items_[0] = textio::Item::integer_field(obs_.month);
  items_[1] = textio::Item::integer_field(obs_.day);
  items_[2] = textio::Item::integer_field(obs_.year);
  items_[3] = textio::Item::integer_field(obs_.hour);
  items_[4] = textio::Item::integer_field(obs_.min);
  const int n = std::clamp(nval, 0, records::kMaxValues);
  for (int i = 0; i < n; ++i) items_[5 + i] = textio::Item::real_field(obs_.val[i]);
  item_count_ = 5 + static_cast<std::size_t>(n);
  if (!read_ahead) return;
  try {
    thread_ = std::thread([this] { produce(); });
  } catch (const std::system_error&) {
    // No thread to be had (a process limit, say): next_batch() reads instead.
  }
}

RecordFeed::~RecordFeed() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

// Reads records into b until it is full or a read ends otherwise than whole;
// true for the latter, when b ends with the last record.
bool RecordFeed::fill(Batch& b) {
  const std::span<const textio::Item> items(items_, item_count_);
  b.records.clear();
  while (b.records.size() < kBatchRecords) {
    textio::Outcome o = reader_.read(items);
    b.records.push_back({obs_, o, reader_.fault(), static_cast<std::uint32_t>(reader_.fault_item()),
                         reader_.io_error(), reader_.line()});
    if (o != textio::Outcome::whole) return true;
  }
  return false;
}

// The reading thread: fills batches in turn, as fast as the loop hands them
// back, until the last record or until the feed is stopped.
void RecordFeed::produce() {
  for (;;) {
    Batch* b = nullptr;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [this] { return stop_ || filled_ - taken_ < kBatches; });
      if (stop_) return;
      b = &batches_[filled_ % kBatches];
    }
    bool last = fill(*b);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ++filled_;
    }
    changed_.notify_all();
    if (last) return;
  }
}

const ReadRecord& RecordFeed::next_batch() {
  if (last_ != nullptr) return *last_;
  Batch* b = nullptr;
  if (!thread_.joinable()) {
    b = &batches_[0];
    fill(*b);
  } else {
    std::unique_lock<std::mutex> lock(mutex_);
    if (holding_) {  // hand the batch just listed back for filling
      ++taken_;
      changed_.notify_all();
    }
    changed_.wait(lock, [this] { return filled_ > taken_; });
    b = &batches_[taken_ % kBatches];
    holding_ = true;
  }
  pos_ = b->records.data();
  end_ = pos_ + b->records.size();
  if (end_[-1].outcome != textio::Outcome::whole) last_ = end_ - 1;
  return *pos_++;
}

}  // namespace app
