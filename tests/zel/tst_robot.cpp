// The virtual robot's motion rules: pose texts, reach, axis limits, interpolation paths, hands,
// hold and halt, and that a refused motion leaves the robot where it was.
#include "zeltest.h"

class TestRobot : public EngineTest {
    Q_OBJECT
    std::shared_ptr<ZelRobot> m_r;

    QString where() const { return m_r->positionText(); }

private Q_SLOTS:
    void init()
    {
        newEngine();
        m_r = m_c->addRobot("R");
    }

    void homeAndPositionVariables()
    {
        QCOMPARE(m_r->positionText(), u"P(600, 0, 400, 0, 0, 0)"_s);
        QCOMPARE(m_r->jointText(), u"J(0, 600, 400, 0, 0, 0)"_s);
        auto pos = m_r->addVariable("@CurrentPosition");
        auto ang = m_r->addVariable("@CurrentAngle");
        call(m_r, "Move", {I(1), S("p(0, 500, 200, 10, 20, 30)"), S("")});
        QCOMPARE(pos->value(), S("P(0, 500, 200, 10, 20, 30)"));
        QCOMPARE(ang->value(), S("J(90, 500, 200, 10, 20, 30)"));
        call(m_r, "GoHome");
        QCOMPARE(pos->value(), S("P(600, 0, 400, 0, 0, 0)"));
    }

    void poseTexts()
    {
        m_r->move(1, S(" J ( 45 , 300 , 100 , 0 , 0 , 0 ) "));
        QCOMPARE(m_r->jointText(), u"J(45, 300, 100, 0, 0, 0)"_s);
        m_r->move(1, arr(VT_R8, {R(500), R(0), R(100), R(0), R(0), R(0)}));
        QCOMPARE(where(), u"P(500, 0, 100, 0, 0, 0)"_s);
        const QString before = where();
        EXPECT_ERROR_TEXT(m_r->move(1, S("P(1, 2, 3)")), E_BAD_POSE, "has 3 numbers");
        EXPECT_ERROR_TEXT(m_r->move(1, S("P(1, x, 3, 4, 5, 6)")), E_BAD_POSE, "'x' where number 2");
        EXPECT_ERROR_TEXT(m_r->move(1, S("P(500, 0, 100, 0, 0, 0), P(1, 1, 1, 0, 0, 0)")), E_BAD_POSE, "takes one pose");
        EXPECT_ERROR_TEXT(m_r->move(4, S("P(500, 0, 100, 0, 0, 0)")), E_BAD_MODE, "interpolation 4");
        QCOMPARE(where(), before);
    }

    void reachAndLimits()
    {
        const QString home = where();
        EXPECT_ERROR_TEXT(m_r->move(1, S("P(1300, 0, 400, 0, 0, 0)")), E_OUT_OF_REACH, "1300 mm from the robot's axis");
        EXPECT_ERROR_TEXT(m_r->move(1, S("J(0, 600, 400, 0, 130, 0)")), E_OUT_OF_RANGE, "axis 5 would be at 130 degrees, outside its range -120 to 120");
        QCOMPARE(where(), home);

        // Drive is relative unless Absolute=true; axes are 1 to 6
        call(m_r, "Drive", {I(2), S("100"), S("")});
        QCOMPARE(m_r->jointText(), u"J(0, 700, 400, 0, 0, 0)"_s);
        m_r->drive(1, -30.5, "Absolute=true");
        QCOMPARE(m_r->joints()[0], -30.5);
        EXPECT_ERROR_TEXT(m_r->drive(7, 1), E_UNKNOWN_AXIS, "Drive: axis 7 does not exist; the robot has axes 1 to 6");
        EXPECT_ERROR_TEXT(m_r->drive(2, 600), E_OUT_OF_RANGE, "axis 2 would be at 1300 mm, outside its range 150 to 1200 mm");
        QCOMPARE(m_r->jointText(), u"J(-30.5, 700, 400, 0, 0, 0)"_s);
    }

    void interpolationPaths()
    {
        // PTP swings around the axis; a straight line through the robot's own axis is refused
        m_r->move(1, S("P(0, -600, 400, 0, 0, 0)"));
        const QString start = where();
        EXPECT_ERROR_TEXT(m_r->move(2, S("P(0, 600, 400, 0, 0, 0)")), E_OUT_OF_REACH, "linear path to P(0, 600, 400, 0, 0, 0) leaves the working range");
        QCOMPARE(where(), start);
        m_r->move(1, S("P(0, 600, 400, 0, 0, 0)"));

        // a linear move that stays in reach
        m_r->move(2, S("P(600, 600, 300, 0, 0, 45)"));
        QCOMPARE(where(), u"P(600, 600, 300, 0, 0, 45)"_s);
        QCOMPARE(m_r->addVariable("@LastMotion")->value(), S("Move linear to P(600, 600, 300, 0, 0, 45)"));

        // circular: via and end; a half circle around the axis stays in reach
        m_r->move(1, S("P(700, 0, 400, 0, 0, 0)"));
        call(m_r, "Move", {I(3), S("P(494.975, 494.975, 400, 0, 0, 0), P(0, 700, 400, 0, 0, 0)")});
        QCOMPARE(where(), u"P(0, 700, 400, 0, 0, 0)"_s);
        // a circle whose arc bulges beyond the reach is refused
        m_r->move(1, S("P(700, 0, 400, 0, 0, 0)"));
        EXPECT_ERROR_TEXT(m_r->move(3, S("P(1150, 300, 400, 0, 0, 0), P(700, 600, 400, 0, 0, 0)")), E_OUT_OF_REACH, "circular path");
        EXPECT_ERROR_TEXT(m_r->move(3, S("P(800, 0, 400, 0, 0, 0), P(900, 0, 400, 0, 0, 0)")), E_BAD_POSE, "lie on one line");
        QCOMPARE(where(), u"P(700, 0, 400, 0, 0, 0)"_s);
    }

    void rotate()
    {
        // about the robot's axis in XY: the tool swings round and turns with it
        call(m_r, "Rotate", {S("xy"), S("90"), S(""), S("")});
        QCOMPARE(where(), u"P(0, 600, 400, 0, 0, 90)"_s);
        m_r->rotate(I(2), -90, S("P(0, 600, 300)"));
        QCOMPARE(where(), u"P(0, 700, 300, -90, 0, 90)"_s);
        const QString before = where();
        EXPECT_ERROR_TEXT(m_r->rotate(S("AB"), 10, Value()), E_INVALID_ARG, "plane 'AB' does not exist");
        EXPECT_ERROR_TEXT(m_r->rotate(S("YZ"), 180, S("P(0, 0, 300)")), E_OUT_OF_REACH, "rotation by 180 degrees in YZ");
        QCOMPARE(where(), before);
    }

    void speedsAndAccelerations()
    {
        auto speed = m_r->addVariable("@Speed");
        auto accel = m_r->addVariable("@Accel");
        auto decel = m_r->addVariable("@Decel");
        call(m_r, "Speed", {I(0), R(20)});
        m_r->speed(6, 100);
        QCOMPARE(speed->value().arrayValue().items,
                 (QList<Value>{Value::fromR4(20), Value::fromR4(20), Value::fromR4(20), Value::fromR4(20), Value::fromR4(20), Value::fromR4(100)}));
        call(m_r, "Accelerate", {I(3), R(30)}); // decel defaults to accel
        QCOMPARE(decel->value().arrayValue().items[2], Value::fromR4(30));
        m_r->accelerate(3, 30, 60);
        QCOMPARE(accel->value().arrayValue().items[2], Value::fromR4(30));
        QCOMPARE(decel->value().arrayValue().items[2], Value::fromR4(60));
        EXPECT_ERROR_TEXT(m_r->speed(1, 150), E_OUT_OF_RANGE, "percentage above 0 up to 100");
        EXPECT_ERROR_TEXT(m_r->accelerate(1, 50, -1), E_OUT_OF_RANGE, "deceleration -1");
        QCOMPARE(accel->value().arrayValue().items[0], Value::fromR4(100)); // a refused call changes nothing
    }

    void hands()
    {
        auto hand = m_r->addVariable("@Hand");
        auto chucked = m_r->addVariable("@Chucked");
        QCOMPARE(hand->value(), S("Hand1"));
        call(m_r, "Change", {S("vacuum")});
        QCOMPARE(hand->value(), S("Vacuum"));
        call(m_r, "Chuck", {S("")});
        QCOMPARE(chucked->value(), Value::fromBool(true));
        QCOMPARE(m_r->attribute(), 4);
        EXPECT_ERROR_TEXT(m_r->change("Hand2"), E_HAND_BUSY, "Vacuum holds a workpiece");
        m_r->unchuck();
        m_r->change("Hand2");
        QCOMPARE(hand->value(), S("Hand2"));
        EXPECT_ERROR_TEXT(m_r->change("Claw"), E_NO_HAND, "hand 'Claw' does not exist; the robot has hands Hand1, Hand2, Vacuum");

    }

    void holdAndHalt()
    {
        auto state = m_r->addVariable("@State");
        call(m_r, "Hold", {S("")});
        QCOMPARE(state->value(), S("Held"));
        QCOMPARE(m_r->attribute(), 1);
        EXPECT_ERROR_TEXT(m_r->move(1, S("P(500, 0, 400, 0, 0, 0)")), E_ROBOT_HELD, "robot R is held; call Unhold first");
        EXPECT_ERROR_TEXT(m_r->rotate(S("XY"), 5, Value()), E_ROBOT_HELD, "Rotate");
        m_r->speed(1, 10); // settings and hands are not motion
        m_r->chuck();
        call(m_r, "Unhold");
        m_r->move(1, S("P(500, 0, 400, 0, 0, 0)"));

        m_r->halt();
        QCOMPARE(state->value(), S("Halted"));
        EXPECT_ERROR_TEXT(m_r->move(1, S("P(600, 0, 400, 0, 0, 0)")), E_ROBOT_HALTED, "Execute \"Reset\" clears the halt");
        m_r->unhold(); // does not clear a halt
        EXPECT_ERROR_TEXT(m_r->goHome(), E_ROBOT_HALTED, "halted");
        call(m_r, "Execute", {S("Reset"), Value()});
        m_r->goHome();
        QCOMPARE(state->value(), S("Ready"));
    }
};

QTEST_GUILESS_MAIN(TestRobot)
#include "tst_robot.moc"
