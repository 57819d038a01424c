#include "SampleTips.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "DateTime.h"

namespace telmora {

namespace {

struct Tip {
    const char* id;
    const char* type;
    const char* subType;
    const char* code;
    const char* title;
    const char* text;       // "\n" (backslash, n) marks a line break, as the server sends it
    const char* timeOfDay;  // the day comes from the period
    const char* status;
    const char* reference;
};

constexpr Tip kTips[] = {
    {"10417", "Hypoglykämie", "Nacht", "HYPO-N01", "Nächtliche Unterzuckerungen",
     "In den letzten 14 Nächten lagen 4 Werte unter 70 mg/dl.\\nPrüfen Sie mit Ihrem Arzt die "
     "Basalrate zwischen 2 und 4 Uhr.",
     "07:12", "new", "https://www.perlowan.de/wissen/hypo-nacht"},
    {"10418", "Hyperglykämie", "Morgen", "HYPER-M02", "Hohe Nüchternwerte",
     "Ihre Nüchternwerte lagen im Mittel bei 168 mg/dl.\\nEin Dawn-Phänomen ist möglich.\\n"
     "Messen Sie einige Nächte lang um 3 Uhr.",
     "07:12", "new", "https://www.perlowan.de/wissen/dawn-phaenomen"},
    {"10422", "Messung", "Häufigkeit", "MESS-01", "Zu wenige Messungen am Wochenende",
     "Samstags und sonntags haben Sie im Schnitt nur 2 Werte pro Tag eingetragen.\\n"
     "Mehr Messungen helfen, Muster zu erkennen.",
     "09:30", "new", ""},
    {"10431", "Ernährung", "Kohlenhydrate", "KH-03", "Abendessen mit vielen Kohlenhydraten",
     "Nach dem Abendessen steigen Ihre Werte oft über 220 mg/dl.\\nSchätzen Sie die "
     "Kohlenhydrate neu ein oder spritzen Sie 15 Minuten früher.",
     "20:45", "new", "https://www.perlowan.de/wissen/spritz-ess-abstand"},
    {"10432", "Bewegung", "Sport", "SPORT-02", "Unterzucker nach dem Sport",
     "Nach Ihren Laufeinheiten am Dienstag fiel der Wert zweimal unter 60 mg/dl.\\nEssen Sie vor "
     "dem Training 1 bis 2 BE zusätzlich.",
     "18:05", "new", "https://www.perlowan.de/wissen/sport-und-diabetes"},
    {"10440", "Insulin", "Korrektur", "KORR-01", "Korrekturen summieren sich",
     "Zweimal wurde innerhalb von 2 Stunden erneut korrigiert.\\nBeachten Sie die Wirkdauer "
     "Ihres Insulins, um ein Stapeln zu vermeiden.",
     "13:20", "active", ""},
    {"10441", "Hypoglykämie", "Tag", "HYPO-T02", "Unterzucker am Vormittag",
     "Zwischen 10 und 11 Uhr traten in 2 Wochen 3 Unterzuckerungen auf.\\nEine kleine "
     "Zwischenmahlzeit kann helfen.",
     "11:02", "new", "https://www.perlowan.de/wissen/zwischenmahlzeit"},
    {"10447", "Messung", "Dokumentation", "DOK-02", "Einheiten fehlen",
     "Bei 5 Mahlzeiten fehlt die Angabe der Broteinheiten.\\nVollständige Einträge verbessern "
     "die Auswertung.",
     "08:40", "new", ""},
    {"10452", "HbA1c", "Verlauf", "HBA-01", "HbA1c verbessert",
     "Ihr geschätzter HbA1c ist von 7,9 % auf 7,3 % gesunken.\\nWeiter so!", "10:00", "info",
     "https://www.perlowan.de/wissen/hba1c"},
    {"10458", "Hyperglykämie", "Krankheit", "KRANK-01", "Erhöhte Werte bei Infekt",
     "Seit drei Tagen liegen alle Werte über 200 mg/dl.\\nDenken Sie an Ketonmessungen und "
     "sprechen Sie mit Ihrem Diabetesteam.",
     "16:30", "new", "https://www.perlowan.de/wissen/krankheitstage"},
    {"10463", "Technik", "Messgerät", "GER-01", "Messgerät übertragen",
     "Die letzte Übertragung Ihres Messgeräts ist 10 Tage her.\\nÜbertragen Sie die Werte "
     "regelmäßig, damit die Tipps aktuell bleiben.",
     "07:55", "new", ""},
    {"10470", "Bewegung", "Alltag", "ALLTAG-01", "Spaziergang nach dem Essen",
     "An Tagen mit einem Spaziergang nach dem Mittagessen lagen Ihre Werte um 35 mg/dl "
     "niedriger.\\nEin kurzer Gang von 15 Minuten genügt schon.",
     "14:10", "new", "https://www.perlowan.de/wissen/bewegung-im-alltag"},
};

void AppendPair(std::string& json, const char* key, const std::string& value, bool last = false) {
    json += '"';
    json += key;
    json += "\":\"";
    json += value;
    json += last ? "\"" : "\",";
}

}  // namespace

std::string SampleTipsJson(rt::Date from, rt::Date until) {
    const auto first = static_cast<std::int64_t>(from.serial);
    const auto last = static_cast<std::int64_t>(until.serial);
    if (last < first) return "[]";
    // The server sends at most kMaxSampleTips tips, those of the latest days.
    const std::int64_t start = std::max(first, last - (kMaxSampleTips - 1));
    std::string json = "[";
    for (std::int64_t day = start; day <= last; ++day) {
        const std::int64_t count = std::ssize(kTips);
        const Tip& t = kTips[static_cast<std::size_t>((day % count + count) % count)];
        const rt::Date date{static_cast<double>(day)};
        if (day != start) json += ",";
        json += "{";
        AppendPair(json, "id", std::string(t.id) + "-" + rt::FormatDate(date, "yyyyMMdd"));
        AppendPair(json, "type", t.type);
        AppendPair(json, "subType", t.subType);
        AppendPair(json, "code", t.code);
        AppendPair(json, "title", t.title);
        AppendPair(json, "text", t.text);
        AppendPair(json, "time", rt::FormatDate(date, "dd.MM.yyyy") + " " + t.timeOfDay);
        AppendPair(json, "status", t.status);
        AppendPair(json, "reference", t.reference, true);
        json += "}";
    }
    json += "]";
    return json;
}

}  // namespace telmora
