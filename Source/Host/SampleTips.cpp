#include "SampleTips.h"

namespace telmora {

namespace {

struct Tip {
    const char* id;
    const char* type;
    const char* subType;
    const char* code;
    const char* title;
    const char* text;  // "\n" (backslash, n) marks a line break, as the server sends it
    const char* time;
    const char* status;
    const char* reference;
};

constexpr Tip kTips[] = {
    {"10417", "Hypoglykämie", "Nacht", "HYPO-N01", "Nächtliche Unterzuckerungen",
     "In den letzten 14 Nächten lagen 4 Werte unter 70 mg/dl.\\nPrüfen Sie mit Ihrem Arzt die "
     "Basalrate zwischen 2 und 4 Uhr.",
     "05.03.2016 07:12", "new", "https://www.perlowan.de/wissen/hypo-nacht"},
    {"10418", "Hyperglykämie", "Morgen", "HYPER-M02", "Hohe Nüchternwerte",
     "Ihre Nüchternwerte lagen im Mittel bei 168 mg/dl.\\nEin Dawn-Phänomen ist möglich.\\n"
     "Messen Sie einige Nächte lang um 3 Uhr.",
     "05.03.2016 07:12", "new", "https://www.perlowan.de/wissen/dawn-phaenomen"},
    {"10422", "Messung", "Häufigkeit", "MESS-01", "Zu wenige Messungen am Wochenende",
     "Samstags und sonntags haben Sie im Schnitt nur 2 Werte pro Tag eingetragen.\\n"
     "Mehr Messungen helfen, Muster zu erkennen.",
     "06.03.2016 09:30", "new", ""},
    {"10431", "Ernährung", "Kohlenhydrate", "KH-03", "Abendessen mit vielen Kohlenhydraten",
     "Nach dem Abendessen steigen Ihre Werte oft über 220 mg/dl.\\nSchätzen Sie die "
     "Kohlenhydrate neu ein oder spritzen Sie 15 Minuten früher.",
     "07.03.2016 20:45", "new", "https://www.perlowan.de/wissen/spritz-ess-abstand"},
    {"10432", "Bewegung", "Sport", "SPORT-02", "Unterzucker nach dem Sport",
     "Nach Ihren Laufeinheiten am Dienstag fiel der Wert zweimal unter 60 mg/dl.\\nEssen Sie vor "
     "dem Training 1 bis 2 BE zusätzlich.",
     "08.03.2016 18:05", "new", "https://www.perlowan.de/wissen/sport-und-diabetes"},
    {"10440", "Insulin", "Korrektur", "KORR-01", "Korrekturen summieren sich",
     "Zweimal wurde innerhalb von 2 Stunden erneut korrigiert.\\nBeachten Sie die Wirkdauer "
     "Ihres Insulins, um ein Stapeln zu vermeiden.",
     "09.03.2016 13:20", "active", ""},
    {"10441", "Hypoglykämie", "Tag", "HYPO-T02", "Unterzucker am Vormittag",
     "Zwischen 10 und 11 Uhr traten in 2 Wochen 3 Unterzuckerungen auf.\\nEine kleine "
     "Zwischenmahlzeit kann helfen.",
     "10.03.2016 11:02", "new", "https://www.perlowan.de/wissen/zwischenmahlzeit"},
    {"10447", "Messung", "Dokumentation", "DOK-02", "Einheiten fehlen",
     "Bei 5 Mahlzeiten fehlt die Angabe der Broteinheiten.\\nVollständige Einträge verbessern "
     "die Auswertung.",
     "11.03.2016 08:40", "new", ""},
    {"10452", "HbA1c", "Verlauf", "HBA-01", "HbA1c verbessert",
     "Ihr geschätzter HbA1c ist von 7,9 % auf 7,3 % gesunken.\\nWeiter so!", "12.03.2016 10:00",
     "info", "https://www.perlowan.de/wissen/hba1c"},
    {"10458", "Hyperglykämie", "Krankheit", "KRANK-01", "Erhöhte Werte bei Infekt",
     "Seit drei Tagen liegen alle Werte über 200 mg/dl.\\nDenken Sie an Ketonmessungen und "
     "sprechen Sie mit Ihrem Diabetesteam.",
     "13.03.2016 16:30", "new", "https://www.perlowan.de/wissen/krankheitstage"},
    {"10463", "Technik", "Messgerät", "GER-01", "Messgerät übertragen",
     "Die letzte Übertragung Ihres Messgeräts ist 10 Tage her.\\nÜbertragen Sie die Werte "
     "regelmäßig, damit die Tipps aktuell bleiben.",
     "14.03.2016 07:55", "new", ""},
    {"10470", "Bewegung", "Alltag", "ALLTAG-01", "Spaziergang nach dem Essen",
     "An Tagen mit einem Spaziergang nach dem Mittagessen lagen Ihre Werte um 35 mg/dl "
     "niedriger.\\nEin kurzer Gang von 15 Minuten genügt schon.",
     "15.03.2016 14:10", "new", "https://www.perlowan.de/wissen/bewegung-im-alltag"},
};

void AppendPair(std::string& json, const char* key, const char* value, bool last = false) {
    json += '"';
    json += key;
    json += "\":\"";
    json += value;
    json += last ? "\"" : "\",";
}

}  // namespace

std::string SampleTipsJson() {
    std::string json = "[";
    bool first = true;
    for (const Tip& t : kTips) {
        if (!first) json += ",";
        first = false;
        json += "{";
        AppendPair(json, "id", t.id);
        AppendPair(json, "type", t.type);
        AppendPair(json, "subType", t.subType);
        AppendPair(json, "code", t.code);
        AppendPair(json, "title", t.title);
        AppendPair(json, "text", t.text);
        AppendPair(json, "time", t.time);
        AppendPair(json, "status", t.status);
        AppendPair(json, "reference", t.reference, true);
        json += "}";
    }
    json += "]";
    return json;
}

}  // namespace telmora
