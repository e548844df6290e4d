// A spherical film's camera and projection choice, kept in its record in the
// "Films" section.

#include "doc/document.h"

namespace plexo {

namespace {

constexpr const char* kViewField = "view";
constexpr const char* kProjectionField = "projection";

}  // namespace

SphereCamera CPlexoDoc::sphereCamera() const
{
    const auto text = record_.Text(kViewField);
    return text ? ParseSphereCamera(*text).value_or(SphereCamera{}) : SphereCamera{};
}

void CPlexoDoc::setSphereCamera(const SphereCamera& camera, bool keep)
{
    if (camera == SphereCamera{})
        record_.Erase(kViewField);
    else
        record_.SetText(kViewField, SphereCameraText(camera));
    if (keep)
        KeepAdjustments();
    else
        TellFilmMoved();
}

ProjectionChoice CPlexoDoc::projectionChoice() const
{
    const auto word = record_.Text(kProjectionField);
    return word ? ProjectionNamed(*word) : std::nullopt;
}

void CPlexoDoc::setProjectionChoice(const ProjectionChoice& choice)
{
    if (choice)
        record_.SetText(kProjectionField, ProjectionWord(*choice));
    else
        record_.Erase(kProjectionField);
    KeepAdjustments();
}

SourceProjection CPlexoDoc::projection() const
{
    const Film* shown = film();
    if (!shown || filmPaths().empty())
        return {};
    return DecideProjection(projectionChoice(), shown->Facts().projection, filmPaths().front());
}

}  // namespace plexo
