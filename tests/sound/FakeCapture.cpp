#include "FakeCapture.h"

namespace skedula::soundtest {

class FakeCaptures::One final : public Capture {
public:
    One(FakeCaptures& owner, CaptureSink& sink) : owner_(owner), sink_(sink) {}
    ~One() override {
        const std::lock_guard lock(owner_.mutex_);
        if (owner_.latest_ == this)
            owner_.latest_ = nullptr;
    }
    CaptureSink& sink() { return sink_; }

private:
    FakeCaptures& owner_;
    CaptureSink& sink_;
};

CaptureFactory FakeCaptures::Factory() {
    return [this](const std::string& source, CaptureSink& sink) -> std::unique_ptr<Capture> {
        auto capture = std::make_unique<One>(*this, sink);
        // The failure first: a test that saw the capture made finds its failure on the way.
        if (!failAtStart.empty())
            sink.CaptureFailed(failAtStart);
        {
            const std::lock_guard lock(mutex_);
            sources_.push_back(source);
            latest_ = failAtStart.empty() ? capture.get() : nullptr;
        }
        changed_.notify_all();
        return capture;
    };
}

bool FakeCaptures::WaitForCaptures(std::size_t count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(2),
                             [&] { return sources_.size() >= count; });
}

std::size_t FakeCaptures::Made() const {
    const std::lock_guard lock(mutex_);
    return sources_.size();
}

std::string FakeCaptures::SourceOf(std::size_t index) const {
    const std::lock_guard lock(mutex_);
    return index < sources_.size() ? sources_[index] : std::string();
}

bool FakeCaptures::LatestAlive() const {
    const std::lock_guard lock(mutex_);
    return latest_ != nullptr;
}

// The lock is held while the sink hears: the recorder cannot end the capture meanwhile.
void FakeCaptures::Start(int rate, int channels) {
    const std::lock_guard lock(mutex_);
    if (latest_ != nullptr)
        latest_->sink().CaptureStarted({rate, channels});
}

void FakeCaptures::Deliver(const std::vector<std::int16_t>& interleaved, int channels) {
    const std::lock_guard lock(mutex_);
    if (latest_ != nullptr)
        latest_->sink().CaptureAudio(interleaved.data(),
                                     interleaved.size() / static_cast<std::size_t>(channels));
}

void FakeCaptures::Fail(const std::string& reason) {
    const std::lock_guard lock(mutex_);
    if (latest_ != nullptr) {
        latest_->sink().CaptureFailed(reason);
        latest_ = nullptr; // nothing follows a failure
    }
}

std::vector<std::int16_t> CountingFrames(std::int64_t first, std::int64_t count, int channels) {
    std::vector<std::int16_t> frames;
    frames.reserve(static_cast<std::size_t>(count * channels));
    for (std::int64_t i = first; i < first + count; ++i)
        for (int c = 0; c < channels; ++c)
            frames.push_back(static_cast<std::int16_t>((i * 7 + c) % 30000));
    return frames;
}

} // namespace skedula::soundtest
