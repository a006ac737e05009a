#include "gauge_fixture.h"

namespace test {

gb::panel::PictureSource fixturePictures() {
  return [](uint32_t id) -> gb::Result<gb::panel::Picture> {
    struct Size { uint32_t id; int width, height; };
    static const Size sizes[] = {{0x1000, 74, 178}, {0x2000, 71, 153}, {0x4000, 10, 9},
                                 {0x4500, 51, 4164}, {0x4503, 51, 203}};
    for (const Size& size : sizes)
      if (size.id == id) {
        gb::panel::Picture picture;
        picture.resourceId = id;
        picture.width = size.width;
        picture.height = size.height;
        picture.rgb.assign(size_t(size.width) * size.height, 0x010101);
        return picture;
      }
    return gb::Error{"no fixture picture " + gb::hex(id)};
  };
}

std::unique_ptr<gb::panel::GaugeHost> loadGauge(std::optional<uint32_t> base,
                                                gb::panel::PictureSource pictures) {
  gb::panel::GaugeHost::Options options;
  options.base = base;
  options.pictures = std::move(pictures);
  auto host = gb::panel::GaugeHost::load(QUANDEL_GAU_PATH, std::move(options));
  if (!host) {
    ADD_FAILURE() << host.error().message;
    return nullptr;
  }
  return std::move(*host);
}

std::unique_ptr<gb::panel::PanelSession> openSession(double rate) {
  gb::panel::PanelSession::Options options;
  options.rate = rate;
  auto session = gb::panel::PanelSession::open(QUANDEL_GAU_PATH, options);
  if (!session) {
    ADD_FAILURE() << session.error().message;
    return nullptr;
  }
  gb::Status started = (*session)->start();
  if (!started) ADD_FAILURE() << started.error().message;
  return std::move(*session);
}

GaugeRecords decodeRecords(const gb::panel::GaugeHost& host) {
  const auto& m = host.machine();
  GaugeRecords records;
  records.linkage = expectOk(gb::panel::decodeLinkage(m, host.entryPoints().linkage));
  records.header = expectOk(gb::panel::decodeGaugeHeader(m, host.entryPoints().gaugeHeader));
  records.elements = expectOk(gb::panel::decodeElementChain(m, records.header.head));
  return records;
}

}  // namespace test
