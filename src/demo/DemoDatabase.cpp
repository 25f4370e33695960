#include "DemoDatabase.h"

#include "entry/UpgradeReportTables.h"
#include "services/Clock.h"
#include "services/Session.h"
#include "services/Tdm.h"
#include "services/crypto/SessionCipher.h"
#include "services/db/DbError.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <algorithm>
#include <map>
#include <vector>

namespace tavi {

const char *const DemoDatabase::kDesKey = "Hb7$Kq2&Mw9%P";
const char *const DemoDatabase::kDatabaseName = "pelto.mdb";

namespace {

QString u(const char *text)
{
    return QString::fromUtf8(text);
}

// A fixed sequence, so every demo holds the same rows relative to its day.
class Dice
{
public:
    int roll(int low, int high)
    {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return low + int((m_state >> 33) % quint64(high - low + 1));
    }

private:
    quint64 m_state = 20240310;
};

struct Param
{
    const char *kind;
    const char *name;
    const char *sql;
    const char *list = "";
    const char *defaultValue = "";
};

struct Column
{
    const char *title;
    const char *field;
    const char *format = "";
    int width = 80;
    bool totalled = false;
};

struct EditField
{
    const char *title;
    const char *field;
    const char *kind;
    const char *value = "";
    const char *defaultValue = "";
    bool noEmpty = false;
    bool checkExists = false;
};

struct Report
{
    const char *category;
    const char *number;
    const char *title;
    int type;
    const char *flags;
    const char *sql;
    std::vector<Param> params;
    std::vector<Column> columns;
    std::vector<EditField> editFields = {};
    bool favourite = false;
    /// A base-data report's detail report, whose columns the record editor's detail grid shows;
    /// a selection list's base-data report for adding records.
    const char *detailReport = "无";
};

// Statements in the SQL Server dialect, as the wizard stores them; the runner converts them for
// the local engine.
std::vector<Report> demoReports()
{
    return {
        {"前台报表",
         "101",
         "客人住宿明细",
         0,
         ",1",
         "select a.id, a.客人id, b.id as 客人号, a.房号, c.房型, a.入住日期, a.离店日期, "
         "datediff(day,a.入住日期,a.离店日期) as 天数, a.房费, a.押金, a.状态 "
         "from 住宿 a, 客人 b, 房间信息 c where a.客人id=b.id and a.房号=c.房号 "
         "{1} {2} {3} {4} {5} order by a.入住日期 desc",
         {{"文本型", "客人姓名", " and b.姓名 like '%{1}%'"},
          {"日期组合框", "入住日期", " and a.入住日期 between {2}"},
          {"下拉框", "房型", " and c.房型='{3}'", "全部\n[SQL:select distinct 房型 from 房间信息]",
           "全部"},
          {"单选框", "性别", "{男= and b.性别=1}{女= and b.性别=2}", "全部\n男\n女", "全部"},
          {"复选框", "只看在住", " and a.状态='在住'", "", "否"}},
         {{"房号", "房号", "", 60},
          {"客人姓名", "客人id", "[SQL:select 姓名 from 客人 where id={1}]"},
          {"手机", "客人号", "[SQL:DESDECRY:select 手机 from 客人 where id={1}]", 100},
          {"房型", "房型", "", 70},
          {"住宿日期|入住", "入住日期", "yyyy-mm-dd hh:nn", 120},
          {"住宿日期|离店", "离店日期", "yyyy-mm-dd hh:nn", 120},
          {"天数", "天数", "0", 50, true},
          {"金额|房费", "房费", "#,##0.00", 90, true},
          {"金额|押金", "押金", "#,##0.00", 90, true},
          {"状态", "状态", "", 50}},
         {},
         true},
        {"前台报表",
         "102",
         "客人资料查询",
         0,
         "",
         "select id, 姓名, 性别, 证件号, 电话, 手机 from 客人 where 1=1 {1} {2} {3} order by id",
         {{"文本型", "姓名", " and 姓名 like '%{1}%'"},
          {"文本型", "电话", " and 电话 like '%DESDECRY{2}%'"},
          {"文本型", "证件号", " and 证件号 like '{3}%'"}},
         {{"编号", "id", "0000", 50},
          {"姓名", "姓名"},
          {"证件号", "证件号", "", 150},
          {"电话", "电话", "[SQL:DESDECRY]", 110},
          {"手机", "手机", "[SQL:DESDECRY]", 110}}},
        {"前台报表",
         "103",
         "房间收入统计",
         0,
         "",
         "select a.房号, a.房型, a.楼层, a.房价, count(b.id) as 次数, sum(b.房费) as 房费合计 "
         "from 房间信息 a left join 住宿 b on a.房号=b.房号 {1} where 1=1 {2} "
         "group by a.房号, a.房型, a.楼层, a.房价 order by a.房号",
         {{"日期组合框", "入住日期", " and b.入住日期 between {1}"},
          {"下拉框", "楼层", " and a.楼层={2}", "全部\n1\n2\n3", "全部"}},
         {{"房号", "房号", "", 60},
          {"房型", "房型", "", 70},
          {"楼层", "楼层", "0层", 50},
          {"房价", "房价", "0.00元", 80},
          {"入住次数", "次数", "0", 70, true},
          {"房费合计", "房费合计", "#,##0.00;-#,##0.00;-", 100, true}}},
        {"前台报表",
         "104",
         "客人选择",
         2,
         "",
         "select id, 姓名, 证件号 from 客人 where 1=1 {1}",
         {{"文本型", "姓名", " and 姓名 like '%{1}%'"}},
         {{"姓名", "姓名", "", 80}, {"证件号", "证件号", "", 150}}},
        {"财务报表",
         "201",
         "每日营业额",
         0,
         ",3",
         "select a.项目 {1}, (select sum(b.金额) from 账单 b where b.项目=a.项目 {3} {2}) as 合计 "
         "from (select distinct 项目 from 账单) a order by a.项目",
         {{"交叉表", "[交叉表]",
           "select sum(b.金额) from 账单 b where b.项目=a.项目 {3} and b.日期 between {1}",
           "[:DAYLIST:]"},
          {"日期组合框", "营业日期", " and b.日期 between {2}"},
          {"下拉框", "操作员", " and b.操作员='{3}'",
           "全部\n[SQL:select 用户名 from 管理员 order by id]", "全部"}},
         {{"项目", "项目", "", 70},
          {"营业额[交叉表列]", "[交叉表列]", "#,##0.00", 90, true},
          {"合计", "合计", "#,##0.00", 100, true}},
         {},
         true},
        {"财务报表",
         "202",
         "账单明细",
         0,
         ",1",
         "select a.id, a.住宿id, b.房号, a.项目, a.金额, a.日期, a.操作员 from 账单 a, 住宿 b "
         "where a.住宿id=b.id {1} {2} {3} {4} {5} order by a.日期",
         {{"日期组合框2", "营业日期", " and a.日期 between {1}"},
          {"下拉框", "项目", " and a.项目='{2}'", "全部\n房费\n餐费\n洗衣\n迷你吧\n电话费", "全部"},
          {"下拉框", "操作员", " and a.操作员='{3}'",
           "全部\n[SQL:select 用户名 from 管理员 order by id]", "全部"},
          {"数字型", "最低金额", " and a.金额>={4}"},
          {"按钮文本框", "客人", " and b.客人id in ({5})", "[客人选择]"}},
         {{"账单|日期", "日期", "yyyy-mm-dd hh:nn", 120},
          {"账单|房号", "房号", "", 60},
          {"账单|项目", "项目", "", 70},
          {"金额", "金额", "#,##0.00", 90, true},
          {"操作员", "操作员", "", 70}}},
        {"财务报表",
         "203",
         "营业日报",
         0,
         "",
         "select 项目, count(*) as 笔数, sum(金额) as 金额 from 账单 where 1=1 {1} "
         "group by 项目 order by 项目",
         {{"日期型", "营业日[LASTDAY]", " and 日期 between '{1} 00:00:00' and '{1} 23:59:59'"}},
         {{"项目", "项目", "", 80},
          {"笔数", "笔数", "0", 60, true},
          {"金额", "金额", "#,##0.00", 100, true}}},
        {"财务报表",
         "204",
         "营业日报单",
         3,
         "",
         "select 项目, count(*) as 笔数, sum(金额) as 金额 from 账单 where 1=1 {1} "
         "group by 项目 order by 项目",
         {{"日期型", "营业日[LASTDAY]", " and 日期 between '{1} 00:00:00' and '{1} 23:59:59'"}},
         {{"项目", "项目", "", 80},
          {"笔数", "笔数", "0", 60, true},
          {"金额", "金额", "#,##0.00", 100, true}}},
        {"综合报表",
         "301",
         "商品资料",
         1,
         ",4",
         "select * from 商品 where 1=1 {1} {2} order by id",
         {{"分类表", "商品分类", " and 类别id in ({1})",
           "select id, 名称, parentid from 商品类别 order by id", "所有商品"},
          {"文本型", "商品名称", " and 名称 like '%{2}%'"}},
         {{"商品名称", "名称", "", 120},
          {"类别", "类别id", "[SQL:select 名称 from 商品类别 where id={1}]", 90},
          {"单价", "单价", "#,##0.00", 80},
          {"单位", "单位", "", 50},
          {"备注", "备注", "", 150}},
         {{"商品名称", "名称", "文本型", "", "", true, true},
          {"所属分类", "类别id", "分类显示型"},
          {"单价", "单价", "金额型"},
          {"单位", "单位", "下拉框", "个\n瓶\n份\n双\n件\n次", "份"},
          {"库存", "库存", "数字型"},
          {"上架日期", "上架日期", "日期型"},
          {"类型", "类型", "单选框", "自制\n外购", "外购"},
          {"停用", "停用", "复选框", "", "否"},
          {"条码", "条码", "长文本型"},
          {"图片", "图片", "按钮文本框", "[文件型]", "图片名"},
          {"备注", "备注", "备注型"},
          {"商品类别", "[明细表]", "明细表"}},
         false,
         "商品类别一览"},
        {"综合报表",
         "303",
         "商品选择",
         2,
         "",
         "select id, 名称, 单价 from 商品 where 1=1 {1}",
         {{"文本型", "商品名称", " and 名称 like '%{1}%'"}},
         {{"商品名称", "名称", "", 120}, {"单价", "单价", "#,##0.00", 80}},
         {},
         false,
         "商品资料"},
        {"综合报表",
         "302",
         "商品类别一览",
         1,
         "",
         "select * from 商品类别 order by id",
         {},
         {{"编号", "id", "0", 50},
          {"类别名称", "名称", "", 120},
          {"上级类别", "parentid", "[SQL:select 名称 from 商品类别 where id={1}]", 120}},
         {{"类别名称", "名称", "文本型", "", "", true, true}, {"上级编号", "parentid", "数字型"}}},
    };
}

class Builder
{
public:
    explicit Builder(db::Connection &connection) : m_db(connection) {}

    void build()
    {
        createTables();
        m_db.execute(QStringLiteral("begin transaction"));
        addSystemRows();
        addRooms();
        addGuests();
        addStays();
        addBookings();
        addProducts();
        addReports();
        m_db.execute(QStringLiteral("commit"));
    }

private:
    void exec(const char *sql, const QVariantList &params = {}) { m_db.execute(u(sql), params); }

    int lastId(const char *table)
    {
        const auto rs = m_db.openQuery(QStringLiteral("select max(id) as n from ") + u(table));
        return int(rs->asInteger(QStringLiteral("n")));
    }

    void createTables()
    {
        exec(
            "create table 房间信息(id counter PRIMARY KEY, 房号 varchar(10), 房型 varchar(20), "
            "楼层 int, 房价 money, 状态 varchar(10))");
        exec(
            "create table 客人(id counter PRIMARY KEY, 姓名 varchar(50), 性别 int, "
            "证件号 varchar(30), 电话 varchar(255), 手机 varchar(100), 备注 varchar(100))");
        exec(
            "create table 住宿(id counter PRIMARY KEY, 客人id int, 房号 varchar(10), "
            "入住日期 datetime, 离店日期 datetime, 房费 money, 押金 money, 状态 varchar(10))");
        exec(
            "create table 账单(id counter PRIMARY KEY, 住宿id int, 项目 varchar(20), "
            "金额 money, 日期 datetime, 操作员 varchar(20))");
        exec("create table 商品类别(id counter PRIMARY KEY, 名称 varchar(50), parentid int)");
        exec(
            "create table 商品(id counter PRIMARY KEY, 名称 varchar(50), 类别id int, 单价 money, "
            "单位 varchar(10), 停用 bit, 备注 varchar(100), 条码 varchar(100), 库存 int, "
            "类型 varchar(10), 上架日期 datetime, 图片 varchar(200), 图片名 varchar(100))");
        exec(
            "create table 管理员(id counter PRIMARY KEY, 用户名 varchar(20), ztid int, "
            "密码 varchar(50), 部门 varchar(20))");
        exec(
            "create table dzt(id counter PRIMARY KEY, dbserver varchar(50), dbname varchar(50), "
            "dbuser varchar(50), dbpsw varchar(50))");
        exec("create table XTCS(id counter PRIMARY KEY, CSMC varchar(50), ZFCS varchar(250))");
        exec(
            "create table 预订(id counter PRIMARY KEY, 客人id int, 房号 varchar(10), "
            "抵达日期 datetime, 离开日期 datetime, 定金 money)");
    }

    void addSystemRows()
    {
        exec(
            "insert into dzt(dbserver, dbname, dbuser, dbpsw) values('(local)', 'hotel', 'sa', "
            "'')");
        const char *const operators[][2] = {
            {"admin", "经理室"}, {"张丽", "前台"}, {"王强", "前台"}, {"李娜", "餐饮部"}};
        for (const auto &op : operators)
            exec("insert into 管理员(用户名, ztid, 密码, 部门) values(?, 1, '', ?)",
                 {u(op[0]), u(op[1])});
        const char *const params[][2] = {{"GInt_BBT1", "0"},
                                         {"GInt_BBT2", "0"},
                                         {"GDt_BBT1", "00:00"},
                                         {"GDt_BBT2", "23:59"},
                                         {"UserInfo.sSXZDY", ""},
                                         {"酒店名称", "桃源宾馆"},
                                         // What the room-state view shows: room, first day,
                                         // day of leaving, state.
                                         {"房态图语句",
                                          "select 房号, 入住日期, 离店日期, 状态 from 住宿 "
                                          "where 状态='在住' union all "
                                          "select 房号, 抵达日期, 离开日期, '预订' from 预订"}};
        for (const auto &p : params)
            exec("insert into XTCS(CSMC, ZFCS) values(?, ?)", {u(p[0]), u(p[1])});
    }

    void addRooms()
    {
        for (int floor = 1; floor <= 3; ++floor) {
            for (int n = 1; n <= 10; ++n) {
                const char *kind =
                    floor == 3 && n > 6 ? "套房" : (n % 3 == 0 ? "大床房" : "标准间");
                const double price = floor == 3 && n > 6 ? 588 : (n % 3 == 0 ? 268 : 198);
                const QString room = QString::number(floor * 100 + n);
                m_rooms.push_back({room, price});
                exec(
                    "insert into 房间信息(房号, 房型, 楼层, 房价, 状态) values(?, ?, ?, ?, '空房')",
                    {room, u(kind), floor, price});
            }
        }
    }

    static QString idNumber(int i)
    {
        const QString body = QStringLiteral("3301%1%2%3")
                                 .arg(2 + i % 5, 2, 10, QLatin1Char('0'))
                                 .arg(QDate(1960 + i % 40, 1 + i % 12, 1 + (i * 7) % 28)
                                          .toString(QStringLiteral("yyyyMMdd")))
                                 .arg(100 + i * 13 % 900, 3, 10, QLatin1Char('0'));
        static const int weights[] = {7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2};
        int sum = 0;
        for (int k = 0; k < 17; ++k)
            sum += body[k].digitValue() * weights[k];
        return body + QStringLiteral("10X98765432")[sum % 11];
    }

    void addGuests()
    {
        static const char *const surnames[] = {"王", "李", "张", "刘", "陈", "杨", "赵",
                                               "黄", "周", "吴", "徐", "孙", "胡", "朱"};
        static const char *const givenNames[][2] = {
            {"伟", "1"},   {"芳", "2"},   {"娜", "2"},   {"敏", "2"},  {"静", "2"},
            {"强", "1"},   {"磊", "1"},   {"军", "1"},   {"洋", "1"},  {"艳", "2"},
            {"秀英", "2"}, {"建国", "1"}, {"晓东", "1"}, {"丽华", "2"}};
        Dice dice;
        for (int i = 0; i < 40; ++i) {
            const auto &given = givenNames[(i * 5 + i / 14) % 14];
            const QString name =
                i == 17 ? QStringLiteral("O'Brien") : u(surnames[i % 14]) + u(given[0]);
            const int sex = i == 17 ? 1 : QString::fromLatin1(given[1]).toInt();
            const QString phone =
                QStringLiteral("0571-8%1").arg(dice.roll(100000, 999999) * 10 + i % 10);
            const QString mobile = QStringLiteral("13%1").arg(dice.roll(100000000, 999999999));
            exec("insert into 客人(姓名, 性别, 证件号, 电话, 手机, 备注) values(?, ?, ?, ?, ?, ?)",
                 {name, sex, idNumber(i), EncryptPerChar(phone), EncryptWithSessionKey(mobile),
                  i % 9 == 0 ? u("常住客") : QString()});
        }
        m_guestCount = 40;
    }

    void addStays()
    {
        static const char *const extras[][3] = {{"餐费", "38", "288"},
                                                {"洗衣", "20", "60"},
                                                {"迷你吧", "8", "45"},
                                                {"电话费", "2", "30"}};
        static const char *const clerks[] = {"admin", "张丽", "王强", "李娜"};
        Dice dice;
        const QDate today = Clock::today();
        const QDateTime now = Clock::now();
        std::map<int, QDate> freeFrom;
        std::map<int, QDate> guestFreeFrom;
        for (int ago = 89; ago >= 0; --ago) {
            const QDate day = today.addDays(-ago);
            const int arrivals = dice.roll(1, 3);
            for (int a = 0; a < arrivals; ++a) {
                int room = dice.roll(0, int(m_rooms.size()) - 1);
                for (int tries = 0; tries < int(m_rooms.size()) && freeFrom[room] > day; ++tries)
                    room = (room + 1) % int(m_rooms.size());
                if (freeFrom[room] > day)
                    continue;
                int guest = dice.roll(1, m_guestCount);
                for (int tries = 0; tries < m_guestCount && guestFreeFrom[guest] > day; ++tries)
                    guest = guest % m_guestCount + 1;
                if (guestFreeFrom[guest] > day)
                    continue;
                const int nights = dice.roll(1, 4);
                freeFrom[room] = day.addDays(nights);
                guestFreeFrom[guest] = day.addDays(nights);
                const QDateTime in =
                    std::min(QDateTime(day, QTime(13 + dice.roll(0, 8), dice.roll(0, 59))), now);
                const QDateTime out(day.addDays(nights), QTime(11, dice.roll(0, 59)));
                const bool staying = out > now;
                const double roomFee = m_rooms[size_t(room)].price * nights;
                const double deposit = dice.roll(0, 3) == 0 ? 1000 : 500;
                const QString clerk = u(clerks[dice.roll(0, 2)]);
                exec(
                    "insert into 住宿(客人id, 房号, 入住日期, 离店日期, 房费, 押金, 状态) "
                    "values(?, ?, ?, ?, ?, ?, ?)",
                    {guest, m_rooms[size_t(room)].number, in, out, roomFee, deposit,
                     staying ? u("在住") : u("离店")});
                const int stay = lastId("住宿");
                const QDateTime last = staying ? now : out;
                exec(
                    "insert into 账单(住宿id, 项目, 金额, 日期, 操作员) values(?, '房费', ?, ?, ?)",
                    {stay, roomFee, staying ? in : out, clerk});
                const int more = dice.roll(0, 2);
                for (int e = 0; e < more; ++e) {
                    const auto &extra = extras[dice.roll(0, 3)];
                    const double amount = dice.roll(QString::fromLatin1(extra[1]).toInt() * 2,
                                                    QString::fromLatin1(extra[2]).toInt() * 2) /
                                          2.0;
                    const qint64 span = std::max<qint64>(in.secsTo(last), 60);
                    const QDateTime when = std::min(in.addSecs(dice.roll(0, int(span))), now);
                    exec("insert into 账单(住宿id, 项目, 金额, 日期, 操作员) values(?, ?, ?, ?, ?)",
                         {stay, u(extra[0]), amount, when, u(clerks[dice.roll(0, 3)])});
                }
            }
        }
    }

    // Reservations over the coming weeks, each room's after its present stay.
    void addBookings()
    {
        Dice dice;
        const QDate today = Clock::today();
        for (size_t room = 0; room < m_rooms.size(); ++room) {
            const auto staying = m_db.openQuery(
                QStringLiteral("select max(离店日期) as d from 住宿 where 状态='在住' and 房号='") +
                m_rooms[room].number + QStringLiteral("'"));
            const QDateTime out = staying->asDateTime(QStringLiteral("d"));
            QDate day =
                std::max(today, out.isValid() ? out.date() : today).addDays(dice.roll(0, 6));
            while (day < today.addDays(40)) {
                const int nights = dice.roll(1, 5);
                exec(
                    "insert into 预订(客人id, 房号, 抵达日期, 离开日期, 定金) values(?, ?, ?, ?, "
                    "?)",
                    {dice.roll(1, m_guestCount), m_rooms[room].number, QDateTime(day, QTime(14, 0)),
                     QDateTime(day.addDays(nights), QTime(12, 0)),
                     dice.roll(0, 1) == 0 ? 200 : 500});
                day = day.addDays(nights + dice.roll(1, 9));
            }
        }
    }

    void addProducts()
    {
        // Parents come before their children, as the category tree reads them.
        const char *const categories[][2] = {{"餐饮", "0"}, {"客房用品", "0"},   {"服务", "0"},
                                             {"中餐", "1"}, {"酒水", "1"},       {"洗漱用品", "2"},
                                             {"炒菜", "4"}, {"面点", "4"},       {"啤酒", "5"},
                                             {"饮料", "5"}, {"一次性用品", "6"}, {"洗衣", "3"}};
        for (const auto &c : categories)
            exec("insert into 商品类别(名称, parentid) values(?, ?)",
                 {u(c[0]), QString::fromLatin1(c[1]).toInt()});
        struct Product
        {
            const char *name;
            int category;
            double price;
            const char *unit;
        };
        const Product products[] = {
            {"宫保鸡丁", 7, 38, "份"}, {"鱼香肉丝", 7, 32, "份"},  {"麻婆豆腐", 7, 22, "份"},
            {"水饺", 8, 18, "份"},     {"小笼包", 8, 15, "份"},    {"早餐券", 4, 28, "次"},
            {"青岛啤酒", 9, 8, "瓶"},  {"雪花啤酒", 9, 6, "瓶"},   {"可口可乐", 10, 5, "瓶"},
            {"矿泉水", 10, 3, "瓶"},   {"牙刷", 11, 2, "个"},      {"拖鞋", 11, 5, "双"},
            {"洗发水", 6, 8.5, "瓶"},  {"衬衫干洗", 12, 25, "件"}, {"西装干洗", 12, 45, "件"},
            {"加床", 3, 80, "次"}};
        for (const Product &p : products)
            exec("insert into 商品(名称, 类别id, 单价, 单位, 停用, 备注) values(?, ?, ?, ?, ?, '')",
                 {u(p.name), p.category, p.price, u(p.unit), false});
    }

    void addReports()
    {
        for (const char *category : {"前台报表", "财务报表"})
            exec("insert into ReportLB(name, orderid) values(?, ?)",
                 {u(category), lastId("ReportLB")});
        for (const Report &r : demoReports()) {
            const auto lb = m_db.openQuery(QStringLiteral("select id from ReportLB where name='") +
                                           u(r.category) + QStringLiteral("'"));
            exec(
                "insert into ReportList(title, lb, sSql, groupfield, CsList, Type, AddReportName, "
                "MXReportName, BH, fav) values(?, ?, ?, '', ?, ?, ?, ?, ?, ?)",
                {u(r.title), lb->asInteger(QStringLiteral("id")), u(r.sql), u(r.flags), r.type,
                 r.type == 2 ? u(r.detailReport) : QString(),
                 r.type == 1   ? u(r.detailReport)
                 : r.type == 3 ? u(r.title) + QStringLiteral(".html")
                               : QString(),
                 u(r.number), r.favourite ? 1 : 0});
            const int id = lastId("ReportList");
            int number = 0;
            for (const Param &p : r.params) {
                ++number;
                exec(
                    "insert into ReportCS(ReportID, CSValue, CSName, CSLX, CSDefault, CSList, "
                    "CSSql, sort) values(?, ?, ?, ?, ?, ?, ?, ?)",
                    {id, QStringLiteral("{%1}").arg(number), u(p.name), u(p.kind),
                     u(p.defaultValue), u(p.list), u(p.sql), number - 1});
            }
            int sort = 0;
            for (const Column &c : r.columns)
                exec(
                    "insert into ReportField(ReportID, Title, Field, FieldFormat, Width, HJFlag, "
                    "SortID, isShow, isPrint) values(?, ?, ?, ?, ?, ?, ?, ?, ?)",
                    {id, u(c.title), u(c.field), u(c.format), c.width, c.totalled, ++sort, true,
                     true});
            sort = 0;
            for (const EditField &f : r.editFields)
                exec(
                    "insert into ReportEditField(ReportID, Title, Field, LX, FieldValue, FieldSql, "
                    "FieldDefault, NoEmpty, CheckExists, SortID) values(?, ?, ?, ?, ?, '', ?, ?, "
                    "?, ?)",
                    {id, u(f.title), u(f.field), u(f.kind), u(f.value), u(f.defaultValue),
                     f.noEmpty, f.checkExists, ++sort});
        }
    }

    struct Room
    {
        QString number;
        double price;
    };

    db::Connection &m_db;
    std::vector<Room> m_rooms;
    int m_guestCount = 0;
};

}  // namespace

namespace {

// The page of the template report 营业日报单: the rows, the totals and the three variables.
const char kDailyTemplate[] = R"(<html>
<body style="font-family: 宋体, SimSun, 'WenQuanYi Micro Hei'">
<h2 align="center">{{OfficeName}}营业日报</h2>
<p>{{FTJ}}</p>
<table width="100%" border="1" cellspacing="0" cellpadding="4">
<tr bgcolor="#ecf6ff"><th>序号</th><th>项目</th><th>笔数</th><th>金额</th></tr>
{{#rows}}
<tr><td align="center">{{_row}}</td><td>{{项目}}</td><td align="right">{{笔数}}</td><td align="right">{{金额}}</td></tr>
{{/rows}}
<tr bgcolor="#f0f0f0"><td colspan="2">合计（{{count}}项）</td><td align="right">{{totals.笔数}}</td><td align="right">{{totals.金额}}</td></tr>
</table>
<p align="right">制表人：{{username}}</p>
</body>
</html>
)";

bool writeTemplate(const QDir &folder, QString *error)
{
    const QString dir = folder.filePath(QStringLiteral("Report"));
    QFile file(QDir(dir).filePath(QStringLiteral("营业日报单.html")));
    if (!QDir().mkpath(dir) || !file.open(QIODevice::WriteOnly) ||
        file.write(kDailyTemplate, qint64(sizeof kDailyTemplate - 1)) < 0) {
        *error = QStringLiteral("cannot write ") + file.fileName();
        return false;
    }
    return true;
}

}  // namespace

bool DemoDatabase::create(const QString &dir, QString *error)
{
    const QDir folder(dir);
    const QString ini = folder.filePath(QStringLiteral("Setting.ini"));
    const QString database = folder.filePath(QString::fromLatin1(kDatabaseName));
    if (QFile::exists(ini) || QFile::exists(database)) {
        *error = dir + QStringLiteral(" already holds Setting.ini or ") +
                 QString::fromLatin1(kDatabaseName) + QStringLiteral("; nothing was changed");
        return false;
    }
    if (!folder.mkpath(QStringLiteral("."))) {
        *error = QStringLiteral("cannot create ") + dir;
        return false;
    }

    bool ok = true;
    {
        ScopedSession scoped;
        Tdm data;
        scoped->dm = &data;
        scoped->SysInfo.DbType = 0;
        scoped->SysInfo.DesKey = QString::fromLatin1(kDesKey);
        try {
            data.adoConn.openLocal(database, true);
            UpgradeReportTables();
            Builder(data.adoConn).build();
        } catch (const db::DbError &e) {
            *error = e.message();
            ok = false;
        } catch (const std::exception &e) {
            *error = QString::fromLocal8Bit(e.what());
            ok = false;
        }
    }
    if (ok) {
        ok = writeTemplate(folder, error);
    }
    if (ok) {
        QFile file(ini);
        ok = file.open(QIODevice::WriteOnly | QIODevice::Text) &&
             file.write("[Db]\nAccDbName=pelto.mdb\nAccDbPsw=\n\n[Main]\nDesFlag=0\n") > 0;
        if (!ok)
            *error = QStringLiteral("cannot write ") + ini;
    }
    if (!ok) {
        QFile::remove(database);
        QFile::remove(ini);
    }
    return ok;
}

}  // namespace tavi
