#include "params/param_table.h"

#include <cstdio>

namespace tq {

const std::array<std::string_view, kParamCount> ParamNames = {
    "Lato di inizio conteggio", "Tipo di rigatore", "tipo di telaio", "Numero schede",
    "Predisposizione 2", "Predisposizione 3", "Scollo +1", "Scollo -1",
    "Scollo +2", "Scollo -2", "Rientro  1", "Rientro -1",
    "Rientro  2", "Rientro -2", "Calato 1", "Calato 2",
    "Aumentazione", "Segnacentro", "Rigato 1", "Rigato 2",
    "Rigato 3", "Rigato 4", "Rigato 5", "Rigato 6",
    "Rigato 7", "Rigato 8", "P1 Pettine sinistro", "P2 Pettine destro",
    "P3 Pettini dentro", "P4 Pettini fuori", "P5 Intarsio sinistro", "P6 Intarsio destro",
    "P7 Filetto sinistro", "P9 Filetto destro", "P10", "P11 con parametri",
    "NP1 Non produco 1", "NP2 Non produco 2", "NP3 Non produco 3", "NP4 Non produco 4",
    "NP5 Non produco 5", "NP6 Calato 3", "NP7 Calato 4", "NP8 Aum_punzoni",
    "NP9", "NP10", "NP11 con parametri", "Stop",
    "Girolente", "Punzonato", "Tuck", "Fine",
    "Cimose fuori", "Cimose dentro",
};

static std::array<std::string, kParamCount> buildLabels()
{
    std::array<std::string, kParamCount> labels;
    for (int i = 0; i < kParamCount; ++i) {
        char number[4];
        std::snprintf(number, sizeof number, "%2d", i + 1);
        std::string label(ParamNames[i]);
        label.resize(25, ' ');
        labels[i] = label + number + "[";
    }
    return labels;
}

const std::array<std::string, kParamCount> ParamLabels = buildLabels();

const std::array<std::string_view, kListedMenuTexts> MenuItemCaptions = {
    "seleziona      | ", "cartella       | ", "parte          | ", "nuova lettura  | ",
    "disco          | ", "tipo -----     | ", "taglia --      | ", "parte          | ",
    "carro          | ", "scollo         | ", "ranghi         | ",
};

}  // namespace tq
