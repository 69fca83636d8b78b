// A program folder with a fresh working store, the embedded host and a recording Ui:
// what the plot tests draw with. Sections come in as the lines of a section data file.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/clock.h"
#include "app/context.h"
#include "base/paths.h"
#include "cad/embedded/host.h"
#include "sectionfile/section_file.h"
#include "support/recording_ui.h"
#include "support/testing.h"

namespace velorin::testing {

class PlotFixture {
  public:
    PlotFixture() : clock("2024-5-6 14:03:22"), host(dir.path() + "Support", &ui), connector(host) {
        program.ProgramDir = dir.path();
        program.settings = app::Settings::Defaults(dir.path());
        Status status;
        program.store = store::WorkingStore::Open(CopyStoreInto(dir.path()), &status);
        if (!program.store) ADD_FAILURE() << status.message();
        // The program folder's store keeps what velorin-batch last loaded there.
        for (const char* table : {"Line", "Cross", "Point"})
            EXPECT_TRUE(program.store->Execute(std::string("Delete * from ") + table).ok())
                << table;
        program.store->OpenStandingRecordSets();
        context.host = &connector;
        EXPECT_TRUE(MakeFolder(dir.path() + "Support").ok());
    }
    // Loads the lines as page 7 would read a file.
    void Sections(std::vector<std::string> lines) {
        ASSERT_TRUE(sectionfile::ReadSectionFile(lines, *program.store));
    }
    // The symbol drawing the profile inserts from Support: a small circle.
    void SymbolDrawing() {
        auto d = cad::embedded::Drawing::New();
        d->AddCircle({0, 0, 0}, 1);
        ASSERT_TRUE(d->Save(dir.path() + "Support/展点.dxf").ok());
    }
    const cad::embedded::Drawing& Drawn(cad::Document* doc) {
        return static_cast<cad::embedded::HostDocument*>(doc)->drawing();
    }
    app::Settings& settings() { return program.settings; }

    TempDir dir;
    app::Program program;
    RecordingUi ui;
    app::FixedClock clock;
    cad::embedded::Host host;
    cad::embedded::EmbeddedConnector connector;
    app::Context context{program, ui, clock};
};

// What the drawing holds on one layer, by kind.
template <typename T>
std::vector<const T*> OnLayer(const cad::embedded::Drawing& d, const std::string& layer,
                              cad::embedded::Kind kind) {
    std::vector<const T*> out;
    for (const auto& e : d.entities())
        if (!e->erased && e->kind == kind && e->Layer() == layer)
            out.push_back(static_cast<const T*>(e.get()));
    return out;
}
inline std::vector<const cad::embedded::TextEntity*> TextsOn(const cad::embedded::Drawing& d,
                                                             const std::string& layer) {
    return OnLayer<cad::embedded::TextEntity>(d, layer, cad::embedded::Kind::Text);
}
inline std::vector<const cad::embedded::PolylineEntity*> LinesOn(const cad::embedded::Drawing& d,
                                                                 const std::string& layer) {
    return OnLayer<cad::embedded::PolylineEntity>(d, layer, cad::embedded::Kind::LwPolyline);
}
inline const cad::embedded::TextEntity* FindText(const cad::embedded::Drawing& d,
                                                 const std::string& layer,
                                                 const std::string& text) {
    for (const auto* t : TextsOn(d, layer))
        if (t->text == text) return t;
    return nullptr;
}

}  // namespace velorin::testing
