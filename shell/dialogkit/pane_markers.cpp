#include "pane_markers.h"

MarkerView PaneMarkerView(const PreviewPane* pane) {
  const HWND control = pane->dialog && pane->spec ? GetDlgItem(pane->dialog, pane->spec->preview) : nullptr;
  return MarkerViewOf(control, nullptr);
}

void PlaceMarkerOnPane(MarkerRecord* record, HDC dc, const PreviewMapping* map) {
  const int32_t n = map->reduction > 0 ? map->reduction : 1;
  record->dc = dc;
  record->zoom = 1.0 / n;
  // Picture pixel sectionX + b x n is bitmap pixel b, drawn at left + b.
  record->originX = map->left - map->sectionX / n;
  record->originY = map->top - map->sectionY / n;
  record->clientRight = map->client.right - 1;
  record->clientBottom = map->client.bottom - 1;
}
