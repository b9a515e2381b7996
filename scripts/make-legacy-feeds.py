#!/usr/bin/env python3
"""Writes the legacy-encoding test feeds from their UTF-8 originals.

For each encoding below, tests/feeds/utf8/legacy-<name>.xml is a feed in
UTF-8 whose text uses only characters that every decoder maps alike (plain
Cyrillic, common Han ideographs, kana, Hangul syllables); this script
encodes it with Python's codecs into tests/golden/legacy-<name>.xml, its XML
declaration naming that encoding instead of UTF-8. tests/legacy_feed_test.cpp then requires
both files to give the same records, and those records to be the committed
tests/golden/legacy-<name>.rec. Run it only to change the feeds:

  python3 scripts/make-legacy-feeds.py
"""

import os

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")

# Feed name: (label in the declaration, Python codec, title language).
FEEDS = {
    "windows-1251": ("windows-1251", "cp1251", "ru"),
    "koi8-r": ("KOI8-R", "koi8_r", "ru"),
    "gbk": ("GBK", "gbk", "zh-hans"),
    "big5": ("Big5", "big5", "zh-hant"),
    "shift_jis": ("Shift_JIS", "shift_jis", "ja"),
    "euc-jp": ("EUC-JP", "euc_jp", "ja"),
    "euc-kr": ("EUC-KR", "euc_kr", "ko"),
    "iso-2022-jp": ("ISO-2022-JP", "iso2022_jp_ext", "ja"),
    "gb18030": ("gb18030", "gb18030", "zh-hans-wide"),
}

# Feeds for the Windows and ARM checks (tests/platform/feeds/), which must
# give there the records the Linux build gives: name: (label, codec, language).
PLATFORM_FEEDS = {
    "big5-declared": ("big5-hkscs", "big5", "zh-hant"),
    "euc-kr-declared": ("ks_c_5601-1987", "euc_kr", "ko"),
    "iso-8859-7": ("ISO-8859-7", "iso8859_7", "el"),
    "koi8-u": ("KOI8-U", "koi8_u", "uk"),
    "windows-1250": ("windows-1250", "cp1250", "cs"),
}

TEXT = {
    "ru": [("Новости города: открыт новый мост", "Мэр открыл мост через реку. Движение пойдёт с понедельника."),
           ("Погода на неделю", "Ожидается дождь и ветер, температура от пяти до десяти градусов."),
           ("Библиотека продлила часы работы", "Читальный зал теперь открыт до девяти вечера.")],
    "zh-hans": [("城市新闻：新桥开通", "市长今天宣布新桥正式开通，周一起通车。"),
                ("本周天气预报", "预计有雨和大风，气温五到十度。"),
                ("图书馆延长开放时间", "阅览室现在开放到晚上九点。")],
    "zh-hant": [("城市新聞：新橋開通", "市長今天宣布新橋正式開通，週一起通車。"),
                ("本週天氣預報", "預計有雨和大風，氣溫五到十度。"),
                ("圖書館延長開放時間", "閱覽室現在開放到晚上九點。")],
    "ja": [("市のニュース：新しい橋が開通", "市長は本日、新しい橋の開通を発表しました。月曜日から通行できます。"),
           ("今週の天気予報", "雨と強い風が予想されます。気温は五度から十度です。ｶﾀｶﾅ"),
           ("図書館の開館時間を延長", "閲覧室は午後九時まで開いています。")],
    "zh-hans-wide": [("城市新闻：新桥开通 𠀀𠀁 ǹ€", "市长今天宣布新桥正式开通，周一起通车。𪚥"),
                     ("本周天气预报", "预计有雨和大风，气温五到十度。"),
                     ("图书馆延长开放时间", "阅览室现在开放到晚上九点。")],
    "el": [("Νέα της πόλης: νέα γέφυρα", "Ο δήμαρχος άνοιξε τη γέφυρα."),
           ("Ο καιρός της εβδομάδας", "Αναμένεται βροχή και άνεμος.")],
    "uk": [("Новини міста: відкрито новий міст", "Мер відкрив міст через річку. Ґанок і їжак."),
           ("Погода на тиждень", "Очікується дощ і вітер.")],
    "cs": [("Zprávy z města: nový most", "Starosta otevřel most přes řeku. Příliš žluťoučký kůň."),
           ("Počasí na týden", "Očekává se déšť a vítr.")],
    "ko": [("시 소식: 새 다리 개통", "시장은 오늘 새 다리의 개통을 발표했습니다. 월요일부터 통행할 수 있습니다."),
           ("이번 주 날씨", "비와 강한 바람이 예상됩니다. 기온은 오도에서 십도입니다."),
           ("도서관 개관 시간 연장", "열람실은 오후 아홉 시까지 엽니다.")],
}


def feed(label, language):
    items = []
    for index, (title, summary) in enumerate(TEXT[language]):
        description = ("%s&lt;br/&gt;" % summary) if index == 0 else summary
        items.append(
            "<item>\r\n<title>%s</title>\r\n<description>%s</description>\r\n"
            "<link>https://example.org/news/%d</link>\r\n"
            "<pubDate>Mon, 0%d Dec 2026 09:00:00 GMT</pubDate>\r\n</item>\r\n"
            % (title, description, index + 1, index + 1))
    return ('<?xml version="1.0" encoding="%s"?>\r\n<rss version="2.0"><channel>\r\n'
            "<title>News</title>\r\n%s</channel></rss>\r\n" % (label, "".join(items)))


def main():
    for name, (label, codec, language) in FEEDS.items():
        with open(os.path.join(ROOT, "tests/feeds/utf8/legacy-%s.xml" % name), "wb") as out:
            out.write(feed("UTF-8", language).encode("utf-8"))
        with open(os.path.join(ROOT, "tests/golden/legacy-%s.xml" % name), "wb") as out:
            out.write(feed(label, language).encode(codec))
    for name, (label, codec, language) in PLATFORM_FEEDS.items():
        with open(os.path.join(ROOT, "tests/platform/feeds/%s.xml" % name), "wb") as out:
            out.write(feed(label, language).encode(codec))


if __name__ == "__main__":
    main()
